#!/usr/bin/env bash
# Checks that the shipped program can start on every system it is for: PE32 i386, GUI subsystem,
# subsystem and OS version 4.0, and only imports that Windows 95, 98, Me and NT 4.0 export (the
# list in tools/win9x-imports.txt). Also its size and the resources the program loads.
set -euo pipefail
exe="$1"
here="$(cd "$(dirname "$0")" && pwd)"
allowed_list="$here/win9x-imports.txt"
max_size=80000
fail() { echo "$exe: $*" >&2; exit 1; }

size=$(stat -c %s "$exe")
[ "$size" -le "$max_size" ] || fail "$size bytes, over $max_size"
headers=$(i686-w64-mingw32-objdump -p "$exe")
grep -q 'file format pei-i386' <<<"$headers" || fail "not PE32 i386"
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || fail "not a GUI program"
header_value() { awk -v k="$1" '$1 == k { print $2; exit }' <<<"$headers"; }
for field in OSystemVersion SubsystemVersion; do
  version="$(header_value "Major$field").$(header_value "Minor$field")"
  [ "$version" = 4.0 ] || fail "$field $version: Windows 95 and NT 4.0 start only programs that ask for 4.0"
done

# The import table as "DLL function" lines; an import by ordinal would show as its number.
imports=$(awk '
  /^\tDLL Name: / { dll = $3; next }
  /^\tvma: / { in_list = 1; next }
  in_list && NF == 0 { in_list = 0; next }
  in_list { print dll, $NF }' <<<"$headers")
[ -n "$imports" ] || fail "no imports found: objdump output not understood"
refused=$(grep -v -x -i -F -f <(grep -v -e '^#' -e '^$' "$allowed_list") <<<"$imports" || true)
if [ -n "$refused" ]; then
  while read -r dll function; do
    echo "$exe: imports $function from $dll, which is not in tools/win9x-imports.txt:" \
         "Windows 95/98/Me or NT 4.0 would refuse to start the program" >&2
  done <<<"$refused"
  exit 1
fi

# The interruption point of the test build must never be in what is shipped: the program does
# not read the variables that drive it.
for word in KVO_INTERRUPT_AFTER KVO_REGISTRY_LOG; do
  ! grep -qaF "$word" "$exe" || fail "holds $word: the test build's interruption point was shipped"
done

# The resources the program loads: three dialogs, the icon, the string table 5101-5112 (string
# blocks 319 and 320 hold ids 5088-5103 and 5104-5119) and the manifest.
resources=$(wrestool -l "$exe")
for want in "--type=5 --name='SETUPDLG'" "--type=5 --name='CONTEXTITEMS'" "--type=5 --name='DONEDLG'" \
            "--type=14 --name='KVOICON'" "--type=6 --name=319 " "--type=6 --name=320 " "--type=24 --name=1 "; do
  grep -qF -- "$want" <<<"$resources" || fail "resource missing: $want"
done
echo "$exe: PE32 i386 GUI 4.0, $size bytes, $(wc -l <<<"$imports") imports, all exported by Windows 95/98/Me and NT 4.0"
