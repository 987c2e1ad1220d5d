#!/usr/bin/env bash
# Installs what the builds and tests need from Debian's packages, once; quiet when all is there.
set -euo pipefail

packages=(
  cmake make g++ python3
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  wine wine64
  locales
  liblnk-utils icoutils
  osslsigncode openssl
)

# `make demo SCREENSHOTS=1` also needs a virtual X display, ImageMagick and a CJK font.
if [ "${1:-}" = --screenshots ]; then
  packages=(xvfb xauth imagemagick fonts-wqy-microhei)
fi

# Whether the kernel executes 32-bit x86 programs (its 32-bit emulation may be switched off): a
# 93-byte static i386 ELF that only calls exit(0). Only there can 32-bit Wine start.
runs_32bit_programs() {
  local probe
  probe=$(mktemp "${TMPDIR:-/tmp}/kvo-elf32.XXXXXX") || return 1
  echo 'f0VMRgEBAQAAAAAAAAAAAAIAAwABAAAAVIAECDQAAAAAAAAAAAAAADQAIAABAAAAAAAAAAEAAAAAAAAAAIAECACABAhdAAAAXQAAAAUAAAAAEAAAuAEAAAAx282A' |
    base64 -d >"$probe"
  chmod +x "$probe"
  local ok=1
  "$probe" 2>/dev/null && ok=0
  rm -f "$probe"
  return $ok
}

# --runs-32bit: only asks the kernel (run-suites.sh says why 32-bit Wine was not used).
if [ "${1:-}" = --runs-32bit ]; then
  runs_32bit_programs
  exit
fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
wine32=
if [ "${1:-}" != --screenshots ] && ! installed wine32:i386 && runs_32bit_programs; then
  wine32=wine32:i386
fi

# An index that cannot be fetched (a mirror in the middle of a sync, say) is only a warning:
# what decides is whether the packages install.
refresh_indexes() {
  apt-get update -q >/dev/null 2>&1 ||
    echo "note: some package indexes could not be refreshed; installing from the ones there are"
}

export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  refresh_indexes
  apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
fi
# 32-bit Wine, where the kernel runs 32-bit programs (tests/wine/env.sh then tests the shipped
# i686 program itself). Where it cannot be installed the tests take the 64-bit path.
if [ -n "$wine32" ]; then
  echo "installing: $wine32"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  refresh_indexes
  apt-get install -y -q --no-install-recommends "$wine32" >/dev/null 2>&1 ||
    echo "note: 32-bit Wine could not be installed; the tests run the x86-64 build under 64-bit Wine"
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
