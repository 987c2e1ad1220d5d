#!/usr/bin/env bash
# Installs what the builds and tests need from Debian's packages, once; quiet when all is there.
set -euo pipefail

packages=(
  cmake make g++ python3
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  wine wine64 wine32:i386
  locales
  liblnk-utils icoutils
)

# `make demo SCREENSHOTS=1` also needs a virtual X display, ImageMagick and a CJK font.
if [ "${1:-}" = --screenshots ]; then
  packages=(xvfb xauth imagemagick fonts-wqy-microhei)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # 32-bit Wine (it runs only where the kernel executes 32-bit programs, see tests/wine/env.sh).
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -q >/dev/null
  apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes the ANSI code page from the Unix locale: zh_TW.UTF-8 gives code page 950; the
# self-removal runs once more under de_DE.UTF-8, whose ANSI (1252) and OEM (850) code pages differ.
for wanted in zh_TW de_DE; do
  if ! locale -a 2>/dev/null | grep -qi "^$wanted\.utf8\$"; then
    echo "generating locale $wanted.UTF-8"
    sed -i "s/^# *\($wanted.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$wanted.UTF-8 UTF-8" /etc/locale.gen || echo "$wanted.UTF-8 UTF-8" >> /etc/locale.gen
    locale-gen >/dev/null
  fi
done
