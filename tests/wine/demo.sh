#!/usr/bin/env bash
# `make demo`: the program's main job in a throwaway Wine prefix. An installation is staged as
# the installer leaves it, setup runs silently, a report shows what was registered, then the
# uninstall runs (answered Yes) and a report shows what was taken back.
set -euo pipefail
# BIN: the test tree of this machine's Wine (make demo chooses it): its uninstall.exe is the
# shipped program where 32-bit Wine runs, the x86-64 build of the same sources elsewhere.
bin="$(cd "$1" && pwd)"
build="$(dirname "$bin")"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/env.sh"

run() { "$WINE" "$@"; }

exe='C:\Program Files\Krelvo\uninstall.exe'

# With SCREENSHOTS=1: the three dialogs on a virtual X display, photographed into
# build/demo/screenshots/VARIANT/, for the built-in texts and for each language library in
# LIBRARIES ("name=path.dll ..."); with DPI=144 (say) on a screen of that many dots per inch,
# into VARIANT-144dpi/.
if [ "${SCREENSHOTS:-}" = 1 ]; then
  "$here/../../tools/install-prereqs.sh" --screenshots
  Xvfb :77 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=:77
  sleep 1
  prefix="$build/demo/wine-x11"
  make_prefix "$prefix" nt x11
  if [ -n "${DPI:-}" ]; then
    "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$DPI" /f </dev/null >/dev/null 2>&1
    "$WINESERVER" -w
  fi
  start_prefix "$prefix"
  trap 'stop_prefix "$prefix"; kill $xvfb' EXIT
  for variant in "builtin=" ${LIBRARIES:-}; do
    name="${variant%%=*}" library="${variant#*=}"
    folder="$prefix/drive_c/Program Files/Krelvo"
    rm -rf "$folder" && stage_installation "$bin" "$folder"
    [ -n "$library" ] && cp "$library" "$folder/kvolng.dll"
    shots="$build/demo/screenshots/$name${DPI:+-${DPI}dpi}"
    rm -rf "$shots" && mkdir -p "$shots"
    echo "== Screenshots: $name"
    # Setup dialog, its context-menu items (cancelled), setup confirmed, completion dialog.
    (cd "$folder" && run "$bin/dialog_driver.exe" --shot "$shots" --press 5121 --press 2 --press 1 --press 1 \
      -- "$exe" /setup) || true
    mv "$shots/1.png" "$shots/setupdlg.png" && mv "$shots/2.png" "$shots/contextitems.png" &&
      mv "$shots/4.png" "$shots/donedlg.png" && rm -f "$shots/3.png"
    # Setup ends by opening the program group's folder window; a fresh start closes it.
    stop_prefix "$prefix"
    start_prefix "$prefix"
  done
  exit 0
fi

prefix="$build/demo/wine-nt"
echo "== A throwaway Wine prefix (NT family, code page 950)"
make_prefix "$prefix" nt
start_prefix "$prefix"
trap 'stop_prefix "$prefix"' EXIT

echo "== A user's system: .zip already belongs to another archiver"
run reg add 'HKCR\.zip' /ve /d OtherZip.Archive /f >/dev/null
run reg add 'HKCR\.zip' /v 'Content Type' /d application/zip /f >/dev/null
run reg add 'HKCR\OtherZip.Archive\shell\open\command' /ve /d 'C:\OtherZip\oz.exe "%1"' /f >/dev/null

folder="$prefix/drive_c/Program Files/Krelvo"
echo "== The installation as the installer leaves it: C:\\Program Files\\Krelvo"
stage_installation "$bin" "$folder"

echo
echo "== uninstall.exe /s /setup (silent, in the installation folder)"
(cd "$folder" && run "$bin/dialog_driver.exe" -- "$exe" /s /setup)
echo
run "$bin/demo_report.exe" registered 'C:\Program Files\Krelvo'

echo
echo "== uninstall.exe /log, as the list of removable programs starts it (answered Yes), with a log"
run "$bin/dialog_driver.exe" --press 6 -- "$exe" /log
for _ in $(seq 1 100); do [ -d "$folder" ] || break; sleep 0.2; done
echo
run "$bin/demo_report.exe" restored 'C:\Program Files\Krelvo'
echo
echo "== The uninstall's log in TEMP (code page 950), its first and last lines"
log=$(ls "$prefix"/drive_c/users/*/Temp/Krelvo\ setup\ *.log | tail -n 1)
echo "$log"
text=$(iconv -f BIG5 -t UTF-8 "$log" | tr -d '\r')
head -n 14 <<<"$text"
echo "   ... ($(wc -l <<<"$text") lines in all)"
tail -n 4 <<<"$text"
