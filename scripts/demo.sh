#!/usr/bin/env bash
# The main job on the bundled example: lays examples/kiosk out as a kiosk installation in
# a temporary folder (the browser's folder holding zelk.ini, the library and zelkctl as the
# stand-in browser) and shows, through the library's exports, what Zelk does there during
# one whole browser run.
#   scripts/demo.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/linux}
kiosk=$(mktemp -d /tmp/zelk-kiosk.XXXXXX)
trap 'rm -rf "$kiosk"' EXIT

cp -r "$root/examples/kiosk/." "$kiosk/"
cp "$build/zelkctl" "$build/libzelk.so" "$kiosk/"
# The browser's data lives in "profile" beside it (ProfileFolder=profile); the browser
# creates its default profile folder before the first start.
mkdir -p "$kiosk/profile/Chromium/User Data/Default"
cd "$kiosk"
# An empty registry: the installation's zelk.ini alone decides.
export ZELK_REGISTRY="$kiosk/no-registry.reg"

step() { printf '\n== %s\n' "$*"; }
step "A kiosk installed in $kiosk"
ls -1p "$kiosk"

step "zelkctl start: the browser starts and Zelk seeds its profile"
./zelkctl start

step "zelkctl settings: the record the browser gets"
./zelkctl settings

step "zelkctl check-command: commands a visitor triggers"
./zelkctl check-command 34014 34000 35003 37000 40012 40005 41108 12345

step "zelkctl lint: the filter file checked, with its own ;expect test cases"
./zelkctl lint filter.txt

step "zelkctl check-url --explain: addresses the browser is about to load"
./zelkctl check-url --explain \
  "https://catalogue.citylibrary.example/search?q=dickens" \
  "http://www.citylibrary.example/opening-hours" \
  "https://catalogue.citylibrary.example/files/setup.exe" \
  "https://evil.example/?catalogue.citylibrary.example/" \
  "https://www.example.org/<script>"

step "The visitor's session leaves traces in the profile"
default="profile/Chromium/User Data/Default"
mkdir -p "$default/Cache"
echo "cached page" > "$default/Cache/data_0"
echo "visited pages" > "$default/History"
echo "session cookie" > "$default/Cookies"
ls -1p "$default"

step "zelkctl clean: the browser closes and Zelk cleans its profile"
./zelkctl clean

step "zelkctl start: the next start finds the same profile as the first"
./zelkctl start

step "zelkctl end: relaunch on close (off in this installation)"
./zelkctl end

step "zelkctl admx: Group Policy templates for the whole fleet"
./zelkctl admx policies
ls -1 policies policies/en-US
