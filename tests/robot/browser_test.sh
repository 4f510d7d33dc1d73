#!/usr/bin/env bash
# The robot's pages in headless Chromium (Debian's chromium, driven by puppeteer-core from
# npm): installs the driver with npm ci from the committed lock file into WORK, starts
# `velmor robot serve` on a free loopback port with a fresh database, runs
# browser/robot_pages.mjs and stops the server by its process id. The screenshots go to
# ARTIFACTS (scripts/update-images.sh copies them into docs/images).
#
# Usage: browser_test.sh VELMOR WORK SOURCE_DIR ARTIFACTS
set -euo pipefail
velmor=$1 work=$2 source=$3 artifacts=$4
here="$source/tests/robot"

# scripts/deps.sh installs all three: one missing is a failure, never a pass.
chromium=${VELMOR_CHROMIUM:-/usr/bin/chromium}
if [ ! -x "$chromium" ]; then echo "robot browser test: $chromium is not installed (scripts/deps.sh installs it)"; exit 1; fi
for tool in node npm; do
  command -v "$tool" >/dev/null || { echo "robot browser test: $tool is not installed (scripts/deps.sh installs it)"; exit 1; }
done

rm -rf "$work"
mkdir -p "$work/node" "$artifacts"
cp "$here/browser/package.json" "$here/browser/package-lock.json" "$here/browser/robot_pages.mjs" "$work/node/"
(cd "$work/node" && npm ci --no-audit --no-fund --loglevel=error </dev/null) || { echo "robot browser test: npm ci failed"; exit 1; }

# A deadline a week ahead, as a committee would set it.
deadline=$(date -u -d '+7 days' +%Y-%m-%dT23:59)
"$velmor" robot serve --db "$work/robot.db" --listen 127.0.0.1:0 --rate-limit 0 --deadline "$deadline" \
  </dev/null >"$work/serve.out" 2>"$work/serve.err" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true' EXIT
port=
for _ in $(seq 1 600); do
  port=$(sed -n 's|.*listening on http://127\.0\.0\.1:\([0-9]*\)/.*|\1|p' "$work/serve.err" | head -n 1)
  [ -n "$port" ] && break
  kill -0 "$server" 2>/dev/null || { cat "$work/serve.err"; echo "robot browser test: the server did not start"; exit 1; }
  sleep 0.1
done
[ -n "$port" ] || { echo "robot browser test: the server did not say its port"; exit 1; }

shown="${deadline%T*} ${deadline#*T} UTC"
status=0
node "$work/node/robot_pages.mjs" "http://127.0.0.1:$port" "$work" "$source" "$artifacts" "$shown" </dev/null || status=$?
echo "--- server log"
cat "$work/serve.err"
exit "$status"
