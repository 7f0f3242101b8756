#!/usr/bin/env bash
# Runs scripts/install-deps.sh against a stand-in apt-get that fails as a mirror in the
# middle of a sync does, and checks that the install goes on, or stops with a clear message
# when a package really cannot be installed. Nothing is installed: the stand-ins only record.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"

# apt-get: `update` fails STANDIN_UPDATE_FAILURES times with the mirror's messages and
# status 100, then succeeds; `install` records its packages and fails for any package named
# in STANDIN_UNINSTALLABLE.
cat >"$work/bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
log=$STANDIN_LOG
case "$*" in
  *update*)
    n=$(grep -c '^update' "$log" 2>/dev/null); echo update >>"$log"
    if [ "$n" -lt "${STANDIN_UPDATE_FAILURES:-0}" ]; then
      echo "E: Failed to fetch http://mirror.invalid/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
      exit 100
    fi ;;
  *install*)
    shift 4; echo "install $*" >>"$log"
    for p in "$@"; do
      case " ${STANDIN_UNINSTALLABLE:-} " in *" $p "*)
        echo "E: Unable to correct problems, you have held broken packages." >&2; exit 100 ;;
      esac
    done ;;
esac
exit 0
STANDIN
printf '#!/bin/sh\nexit 0\n' >"$work/bin/dpkg"
printf '#!/bin/sh\necho "sleep $*" >>"$STANDIN_LOG"\n' >"$work/bin/sleep"
chmod +x "$work/bin/"*

failures=0
passes=0
# Runs the script with the stand-ins first on PATH; its status, output and the stand-ins'
# log land in $status, $out and $log.
run() {
  export STANDIN_LOG="$work/log"
  : >"$STANDIN_LOG"
  out=$(env "$@" PATH="$work/bin:$PATH" ZELK_DEPS_PRETEND_MISSING="cmake chromium" \
        bash "$root/scripts/install-deps.sh" 2>&1)
  status=$?
  log=$(cat "$STANDIN_LOG")
}
expect() {  # expect DESCRIPTION CONDITION...
  local what=$1
  shift
  if "$@"; then echo "ok      $what"; passes=$((passes + 1)); else
    echo "FAILED  $what"; echo "--- output:"; echo "$out"; echo "--- log:"; echo "$log"
    failures=$((failures + 1))
  fi
}
has() { grep -q -E -- "$2" <<<"$1"; }
lacks() { ! has "$@"; }
count() { grep -c -E -- "$2" <<<"$1"; }

run STANDIN_UPDATE_FAILURES=9
expect "every update fails: the install goes on and succeeds" [ "$status" -eq 0 ]
expect "the failed update is tried three times, with pauses between" \
  [ "$(count "$log" '^update')" -eq 3 -a "$(count "$log" '^sleep')" -eq 2 ]
expect "the packages are installed from the lists that are there" has "$log" '^install cmake chromium$'
expect "the administrator is told the lists were incomplete" has "$out" 'going on with the package lists'

run STANDIN_UPDATE_FAILURES=1
expect "an update that fails once is retried and then passes" \
  [ "$status" -eq 0 -a "$(count "$log" '^update')" -eq 2 ]

run STANDIN_UPDATE_FAILURES=9 STANDIN_UNINSTALLABLE=chromium
expect "a package that cannot be installed stops the install" [ "$status" -eq 1 ]
expect "the message names the packages, apt's error and what to try" \
  has "$out" 'could not install: cmake chromium'
expect "apt's own error is shown" has "$out" 'held broken packages'
expect "the optional wine32 is not tried after the failure" lacks "$log" wine32

run STANDIN_UNINSTALLABLE=wine32:i386
expect "wine32 that cannot be installed only warns" [ "$status" -eq 0 ]
expect "its fallback message stays" has "$out" 'wine32 not available; the i686 tests will be built but not run'

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
