#!/usr/bin/env bash
# Copies the screenshots that the Windows tests take into docs/images/, the operator guide's
# pictures, so that the guide always shows the program as it is. Run after the tests of the
# x86_64 tree (bash scripts/test.sh, or ctest --test-dir build/win64 -R 'screenshot|Screenshot|wine_editor').
#
#   station-dialog.png      the station-details dialog of Stats.dll    (test wine_dialog_screenshot)
#   panel-beside-host.png   Orvin's panel beside the logging program   (test companion.Screenshot)
#   header-editor.png       Orvin's Cabrillo header editor             (test wine_editor)
#
# Usage: update-images.sh [ARTIFACTS_DIR]     (default build/win64/artifacts)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
artifacts=${1:-$top/build/win64/artifacts}
dest="$top/docs/images"
mkdir -p "$dest"
status=0
for name in station-dialog.png panel-beside-host.png header-editor.png; do
  src="$artifacts/$name"
  if [ ! -s "$src" ]; then
    echo "update-images: $src is missing (run the tests of build/win64 first)" >&2
    status=1
    continue
  fi
  # Only PNG pictures: a browser shows them, and the package expects them.
  if [ "$(head -c 8 "$src" | od -An -tx1 | tr -d ' \n')" != "89504e470d0a1a0a" ]; then
    echo "update-images: $src is not a PNG file" >&2
    status=1
    continue
  fi
  cp "$src" "$dest/$name"
  echo "update-images: $dest/$name"
done
exit "$status"
