#!/usr/bin/env bash
# Copies the screenshots that the Windows tests and the robot's browser test take into
# docs/images/, the operator guide's pictures, so that the guide always shows the programs as
# they are. Run after the tests of the x86_64 tree and the native tree (bash scripts/test.sh,
# or ctest --test-dir build/win64 -R 'screenshot|Screenshot|wine_editor' and
# ctest --test-dir build/native -R robot_browser).
#
#   station-dialog.png      the station-details dialog of Stats.dll    (test wine_dialog_screenshot)
#   panel-beside-host.png   Orvin's panel beside the logging program   (test companion.Screenshot)
#   header-editor.png       Orvin's Cabrillo header editor             (test wine_editor)
#   robot-form.png          the contest robot's upload form            (test robot_browser)
#   robot-receipt.png       a receipt of the robot                     (test robot_browser)
#   robot-rejection.png     a log the robot refused, with its findings (test robot_browser)
#
# Usage: update-images.sh [ARTIFACTS_DIR [NATIVE_ARTIFACTS_DIR]]
#        (default build/win64/artifacts and build/native/artifacts)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
artifacts=${1:-$top/build/win64/artifacts}
native=${2:-$top/build/native/artifacts}
dest="$top/docs/images"
mkdir -p "$dest"
status=0
for name in station-dialog.png panel-beside-host.png header-editor.png robot-form.png robot-receipt.png \
            robot-rejection.png; do
  src="$artifacts/$name"
  case "$name" in robot-*) src="$native/$name" ;; esac
  if [ ! -s "$src" ]; then
    echo "update-images: $src is missing (run the tests of $(dirname "$(dirname "$src")") first)" >&2
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
