#!/usr/bin/env bash
# The picture of the example kiosk's report in the quick start: headless Chromium draws the
# report that `make demo` wrote.
#   scripts/report-screenshot.sh REPORT_HTML OUTPUT_PNG
set -euo pipefail
if [ ! -f "$1" ]; then
  echo "report-screenshot.sh: no report at $1 (make demo writes it)" >&2
  exit 1
fi
report=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
output=$2
profile=$(mktemp -d /tmp/zelk-chromium.XXXXXX)
trap 'rm -rf "$profile"' EXIT
# A sandboxed frame is drawn in a process of its own, which a headless screenshot leaves
# blank; for the picture the denied page's frame stays in the page's process.
timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$profile" --hide-scrollbars --window-size=1280,1500 \
  --disable-features=IsolateSandboxedIframes --screenshot="$output" "file://$report" 2>/dev/null
[ -s "$output" ] || { echo "report-screenshot.sh: Chromium wrote no picture" >&2; exit 1; }
echo "screenshot of $report written to $output"
