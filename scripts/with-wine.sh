#!/usr/bin/env bash
# Runs a command with what the Windows tests need around it: an Xvfb of its own (on
# VELMOR_DISPLAY when given, else a free display), the Wine prefix made, one wineserver
# kept for the whole command and the prefix's services started. Afterwards it stops that
# wineserver and exactly the Xvfb it started.
# Usage: with-wine.sh COMMAND [ARGS...]   e.g. with-wine.sh ctest --test-dir build/win64 -R companion
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
velmor_wine_up || exit 1
trap 'velmor_wine_down' EXIT
trap 'exit 130' INT TERM
"$@"
