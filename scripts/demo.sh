#!/usr/bin/env bash
# The main job on the bundled example: lays examples/kiosk out as a kiosk installation in
# a temporary folder (the browser's folder holding zelk.ini, the library and zelkctl as the
# stand-in browser) and shows, through the library's exports, what Zelk does there during
# one whole browser run.
#   scripts/demo.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/linux}" && pwd)
kiosk=$(mktemp -d /tmp/zelk-kiosk.XXXXXX)
trap 'rm -rf "$kiosk"' EXIT

cp -r "$root/examples/kiosk/." "$kiosk/"
cp -r "$root/examples/lists" "$kiosk/lists"
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

step "zelkctl doctor: the installation checked as the library will read it, before it ships"
./zelkctl doctor

step "zelkctl doctor on a copy with a dozen planted mistakes (examples/mistakes)"
mistakes="$kiosk/mistakes"
mkdir "$mistakes"
cp -r "$root/examples/kiosk/." "$mistakes/"
cp "$root/examples/mistakes/zelk.ini" "$kiosk/zelkctl" "$mistakes/"
(cd "$mistakes" && ZELK_REGISTRY="$root/examples/mistakes/zelk-mistakes.reg" ./zelkctl doctor) ||
  echo "(status $?: doctor found errors; each planted mistake is reported at its line)"
rm -rf "$mistakes"

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

step "zelkctl report: the kiosk as the visitor meets it, on one page"
# The kiosk folder goes when the demo ends; the report stays in the build folder.
report_dir=$build/report
mkdir -p "$report_dir"
./zelkctl report -o "$report_dir/kiosk-report.html"
echo "Open file://$report_dir/kiosk-report.html in a browser."

step "zelkctl import: the old kiosk image's hosts file, domain list and allow policy as rules"
# The hosts file holds one name pointed at a printer, which a filter cannot express:
# import lists it and ends with status 1.
./zelkctl import --format hosts lists/hosts.txt --format domains lists/domains.txt \
  --allow --format policy lists/allow-policy.txt -o imported.txt ||
  echo "(status $?: an entry was not converted; the rest is in imported.txt)"
cat imported.txt

step "The imported rules go below the download rules of filter.txt: lint the new filter"
sed '/^; Lists imported with zelkctl import go here/r imported.txt' filter.txt >filter-new.txt
./zelkctl lint filter-new.txt

step "zelkctl impact: what the new filter changes for last week's addresses"
./zelkctl impact filter.txt filter-new.txt lists/visits.txt ||
  echo "(status $?: some addresses that loaded before are refused now)"

step "zelkctl lint --profile: the rules that cost the most over those addresses"
./zelkctl lint --profile filter-new.txt lists/visits.txt

step "The new filter installed: the next browser start loads it"
mv filter-new.txt filter.txt
./zelkctl check-url --explain "https://www.museum.example/" "https://ads.citylibrary.example/x" \
  "http://museum.example@evil.example/"

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
