#!/usr/bin/env bash
# The Windows build of lngtool, run under Wine, lists the same keys and texts as the native one
# for code page 950, the code page of the built-in texts, also when the script is named with
# backslashes (its #includes are then read from its folder, not from the current one).
# (For a code page that lacks some of their characters the two differ on purpose: Windows maps
# some of them to look-alikes, as the program itself then sees them, where iconv gives "?".)
set -euo pipefail
windows_tool="$1" native_tool="$2" source="$3"
cd "$source"
expected=$("$native_tool" keys --cp 950)
for rc in 'src/resources/uninstall.rc' 'src\resources\uninstall.rc'; do
  actual=$("$WINE" "$windows_tool" keys --cp 950 --rc "$rc" </dev/null 2>/dev/null | tr -d '\r') || true
  if [ "$expected" != "$actual" ]; then
    echo "lngtool.exe keys --cp 950 --rc $rc differs from the native tool:"
    diff <(echo "$expected") <(echo "$actual") | head -20
    exit 1
  fi
  echo "code page 950, $rc: $(echo "$actual" | wc -l) keys alike"
done
# Code page 1252 lacks the Chinese characters: each key that the native tool claims there is the
# one the Windows build computes with the system's conversion (best fit included); the texts
# whose characters Windows may turn into look-alikes the native tool lists without a key.
claimed=$("$native_tool" keys --cp 1252 2>/dev/null | grep -v '^-------- ' || true)
windows=$("$WINE" "$windows_tool" keys --cp 1252 </dev/null 2>/dev/null | tr -d '\r') || true
wrong=$(comm -23 <(echo "$claimed" | sort) <(echo "$windows" | sort))
if [ -n "$wrong" ] || [ "$(echo "$claimed" | wc -l)" -lt 20 ]; then
  echo "keys the native tool claims for code page 1252 that lngtool.exe does not give:"
  echo "$wrong" | head -20
  exit 1
fi
echo "code page 1252: $(echo "$claimed" | wc -l) keys claimed natively, all alike"
