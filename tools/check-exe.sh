#!/usr/bin/env bash
# Checks the shipped program's form: PE32 i386, GUI subsystem, at most 192 KiB, imports only
# Windows system DLLs.
set -euo pipefail
exe="$1"
size=$(stat -c %s "$exe")
[ "$size" -le $((192 * 1024)) ] || { echo "$exe: $size bytes, over 192 KiB" >&2; exit 1; }
headers=$(i686-w64-mingw32-objdump -p "$exe")
grep -q 'file format pei-i386' <<<"$headers" || { echo "$exe: not PE32 i386" >&2; exit 1; }
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || { echo "$exe: not a GUI program" >&2; exit 1; }
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|SHELL32|ole32|COMCTL32|msvcrt)\.dll$'
while read -r dll; do
  grep -qiE "$allowed" <<<"$dll" || { echo "$exe: imports $dll" >&2; exit 1; }
done < <(sed -n 's/.*DLL Name: //p' <<<"$headers")
# The resources the program loads: three dialogs, the icon, the string table 5101-5112 (string
# blocks 319 and 320 hold ids 5088-5103 and 5104-5119) and the manifest.
resources=$(wrestool -l "$exe")
for want in "--type=5 --name='SETUPDLG'" "--type=5 --name='CONTEXTITEMS'" "--type=5 --name='DONEDLG'" \
            "--type=14 --name='KVOICON'" "--type=6 --name=319 " "--type=6 --name=320 " "--type=24 --name=1 "; do
  grep -qF -- "$want" <<<"$resources" || { echo "$exe: resource missing: $want" >&2; exit 1; }
done
echo "$exe: PE32 i386 GUI, $size bytes, imports $(sed -n 's/.*DLL Name: //p' <<<"$headers" | tr '\n' ' ')"
