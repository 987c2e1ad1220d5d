#!/usr/bin/env bash
# Authenticode signatures of the shipped program, with Debian's osslsigncode.
#   sign-exe.sh EXE CERT KEY [TIMESTAMP_URL]  signs EXE in place with the certificate and its key
#                                             (PEM files), SHA-256, and an RFC 3161 time stamp
#                                             from TIMESTAMP_URL when one is given
#   sign-exe.sh --drop-signed EXE             deletes EXE when it is signed, so that the link
#                                             makes it anew: a build without a certificate ships
#                                             nothing signed, and a new signature never goes
#                                             over an old one
set -euo pipefail
# The size of the certificate table (the PE's security directory); 0 when unsigned.
signature_size() {
  local hex
  hex=$(LC_ALL=C i686-w64-mingw32-objdump -p "$1" 2>/dev/null | awk '/Security Directory/ { print $4; exit }')
  echo $((16#${hex:-0}))
}
if [ "$1" = --drop-signed ]; then
  [ -f "$2" ] && [ "$(signature_size "$2")" != 0 ] && rm -f "$2"
  exit 0
fi
exe="$1" cert="$2" key="$3" timestamp="${4:-}"
[ -f "$cert" ] && [ -f "$key" ] || { echo "sign-exe.sh: no certificate $cert or key $key" >&2; exit 1; }
osslsigncode sign -certs "$cert" -key "$key" -h sha256 -n "Krelvo setup and uninstall" \
  ${timestamp:+-ts "$timestamp"} -in "$exe" -out "$exe.signed" >/dev/null
mv "$exe.signed" "$exe"
echo "$exe: signed with $cert${timestamp:+, time-stamped by $timestamp}"
