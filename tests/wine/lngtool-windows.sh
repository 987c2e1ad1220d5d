#!/usr/bin/env bash
# The Windows build of lngtool, run under Wine, lists the same keys and texts as the native one
# for code page 950, the code page of the built-in texts. (For a code page that lacks some of
# their characters the two differ on purpose: Windows maps some of them to look-alikes, as the
# program itself then sees them, where iconv gives "?".)
set -euo pipefail
windows_tool="$1" native_tool="$2" source="$3"
cd "$source"
for cp in 950; do
  expected=$("$native_tool" keys --cp "$cp")
  actual=$("$WINE" "$windows_tool" keys --cp "$cp" </dev/null 2>/dev/null | tr -d '\r')
  if [ "$expected" != "$actual" ]; then
    echo "lngtool.exe keys --cp $cp differs from the native tool:"
    diff <(echo "$expected") <(echo "$actual") | head -20
    exit 1
  fi
  echo "code page $cp: $(echo "$actual" | wc -l) keys alike"
done
