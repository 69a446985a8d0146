#!/usr/bin/env bash
# The web page's measures: vale.js + vale.wasm gzipped (at most 1 MiB), every span's frame in
# headless chromium against vale-tool's at 640 x 480 (mean absolute difference at most 4 levels),
# and with --timing the start click to the first frame and the frame intervals per scene of one
# whole run in the 800 x 600 window (about three minutes).
#   scripts/web-report.sh BUILD_DIR WEB_BUILD_DIR [--timing]
set -euo pipefail
build=${1:?native build dir}
web=${2:?web build dir}
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
js=$(gzip -9c "$web/vale.js" | wc -c)
wasm=$(gzip -9c "$web/vale.wasm" | wc -c)
echo "gzipped: vale.js $js + vale.wasm $wasm = $((js + wasm)) bytes (limit 1048576)"
status=0
[ $((js + wasm)) -le 1048576 ] || status=1
node "$here/tests/web/web_pages.mjs" "$web" frames "$build/bin/vale-tool" 640x480 4 || status=1
if [ "${3:-}" = --timing ]; then
  node "$here/tests/web/web_pages.mjs" "$web" timing || status=1
fi
exit $status
