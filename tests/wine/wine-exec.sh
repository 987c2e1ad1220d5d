#!/usr/bin/env bash
# Runs a Windows program in the Wine prefix that run-suites.sh has prepared (WINEPREFIX set).
exec "${WINE:-/usr/lib/wine/wine64}" "$@"
