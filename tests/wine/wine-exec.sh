#!/usr/bin/env bash
# Runs a Windows program in the Wine prefix that run-suites.sh has prepared (WINEPREFIX set).
# With --e2e first, in the prefix's twin kept for end-to-end runs of the whole program, whose
# registry no other test touches.
if [ "${1:-}" = --e2e ]; then
  shift
  export WINEPREFIX="$WINEPREFIX-e2e" HOME="$WINEPREFIX-e2e.home"
fi
exec "$WINE" "$@"
