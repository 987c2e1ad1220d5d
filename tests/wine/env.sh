# Sourced by the Wine scripts: one place for the Wine programs and the environment of a prefix.
# 32-bit Wine starts only where the kernel executes 32-bit programs (its 32-bit emulation may be
# switched off). There the prefixes are true 32-bit ones and the shipped i686 program is tested
# itself (KVO_WINE_ARCH=win32); elsewhere Wine runs in its 64-bit form and the suites run the
# x86-64 build of the same sources (win64).
if [ -z "${KVO_WINE_ARCH:-}" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then KVO_WINE_ARCH=win32; else KVO_WINE_ARCH=win64; fi
fi
if [ "$KVO_WINE_ARCH" = win32 ]; then
  WINE=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32
else
  WINE=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
fi
export KVO_WINE_ARCH WINE WINESERVER

# wine_env PREFIX: the environment for a prefix; code page 950 comes from the zh_TW locale.
wine_env() {
  export WINEPREFIX="$1"
  export WINEARCH=$KVO_WINE_ARCH
  export WINEDEBUG=-all
  export LANG=zh_TW.UTF-8 LC_ALL=zh_TW.UTF-8
  export HOME="$1.home" XDG_CONFIG_HOME="$1.home/.config" XDG_DATA_HOME="$1.home/.local/share"
  # No desktop menu entries in the real HOME, no Mono or Gecko downloads.
  export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
  mkdir -p "$HOME"
}

# make_prefix PREFIX FAMILY [x11]: a fresh prefix posing as the NT family (nt) or Windows 98
# (98), with the null display driver so that dialogs and message boxes run without a display;
# with x11, on the X display in DISPLAY instead, drawing its own window frames.
make_prefix() {
  local prefix="$1" family="$2" display="${3:-null}"
  rm -rf "$prefix" "$prefix.home"
  wine_env "$prefix"
  "$WINE" wineboot -i </dev/null >/dev/null 2>&1
  if [ "$display" = x11 ]; then
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1
  else
    "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
  fi
  local version=win7
  [ "$family" = 98 ] && version=win98
  if [ "$KVO_WINE_ARCH" = win32 ]; then
    "$WINE" winecfg -v "$version" </dev/null >/dev/null 2>&1
  else
    # winecfg ignores 9x versions in a 64-bit prefix; the registry value itself is honoured.
    "$WINE" reg add 'HKCU\Software\Wine' /v Version /d "$version" /f </dev/null >/dev/null 2>&1
  fi
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w 2>/dev/null || true
}

# start_prefix PREFIX: keeps the prefix's wineserver running and its services started, with their
# output sent away: a first Wine process started from a pipe would otherwise hold it open.
start_prefix() {
  wine_env "$1"
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  "$WINE" wineboot </dev/null >/dev/null 2>&1
}

stop_prefix() {
  wine_env "$1"
  "$WINESERVER" -k 2>/dev/null || true
  "$WINESERVER" -w 2>/dev/null || true
}

# stage_installation BIN FOLDER: the installation as the installer leaves it, from the test
# tree BIN: its uninstall.exe, the stand-in archiver, any library as the shell extension.
stage_installation() {
  local bin="$1" folder="$2"
  mkdir -p "$folder"
  cp "$bin/uninstall.exe" "$folder/"
  cp "$bin/standin.exe" "$folder/Krelvo.exe"
  cp "$bin/fixtures/only_done_dialog.dll" "$folder/kvoext.dll"   # any library stands in
  for doc in Kvo.txt license.txt order.txt krelvo.hlp; do echo "Krelvo $doc" > "$folder/$doc"; done
  printf '%s\r\n' uninstall.exe Krelvo.exe kvoext.dll Kvo.txt license.txt order.txt krelvo.hlp kvonew.dat zipnew.dat \
    > "$folder/Uninstall.lst"
}
