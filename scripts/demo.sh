#!/usr/bin/env bash
# The main job on the bundled example: lays examples/kiosk out as a kiosk installation in
# a temporary folder (the browser's folder holding zelk.ini, the library and zelkctl as the
# stand-in browser) and shows, through the library's exports, what Zelk does there.
#   scripts/demo.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/linux}
kiosk=$(mktemp -d /tmp/zelk-kiosk.XXXXXX)
trap 'rm -rf "$kiosk"' EXIT

cp -r "$root/examples/kiosk/." "$kiosk/"
cp "$build/zelkctl" "$build/libzelk.so" "$kiosk/"
cd "$kiosk"
# An empty registry: the installation's zelk.ini alone decides.
export ZELK_REGISTRY="$kiosk/no-registry.reg"

step() { printf '\n== %s\n' "$*"; }
step "Kiosk installed in $kiosk"
ls -1 "$kiosk"
step "zelkctl settings: the record the browser gets"
./zelkctl settings
step "zelkctl check-command: commands the browser asks about"
./zelkctl check-command 34000 34014 35003 37000 40012 40005 41108 12345
