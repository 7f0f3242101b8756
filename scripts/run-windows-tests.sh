#!/usr/bin/env bash
# Runs the tests of one Windows build under wine: scripts/run-windows-tests.sh PRESET
# The wine prefix lives in the build tree and is created once before CTest runs, because
# the first start of a new prefix takes seconds and would make the first test time out.
set -euo pipefail
preset=$1
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/$preset"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

case $preset in
  windows-x86) loader=/usr/lib/wine/wine ;;
  *) loader=/usr/lib/wine/wine64 ;;
esac

# Some kernels (virtual machines among them) cannot execute 32-bit programs at all; there
# the i686 build is still compiled and its export table checked, and the same tests run
# in the x86-64 build.
if ! "$loader" --version >/dev/null 2>&1; then
  echo "run-windows-tests: $loader cannot run on this machine; checking the $preset library's" \
       "export table and version record only"
  triple=$([ "$preset" = windows-x86 ] && echo i686-w64-mingw32 || echo x86_64-w64-mingw32)
  format=$([ "$preset" = windows-x86 ] && echo pei-i386 || echo pei-x86-64)
  cmake -DTOOL="$triple-objdump" -DLIBRARY="$build/zelk.dll" -DFORMAT="$format" \
        -DSTRINGS="$triple-strings" -P "$root/cmake/check_exports.cmake"
  exit
fi
[ -d "$WINEPREFIX" ] || "$loader" wineboot --init >/dev/null 2>&1 || true
# Debian's wine starts its server to end the moment its last process ends, so every test
# would start a server and wine's own services anew, and a test that starts while the last
# one's server is going away dies at once, printing nothing. One server kept for the whole
# run closes that race and spares each test those seconds. Its services are started here,
# on no terminal: started by a test, they would hold CTest's pipe of that test open until
# it timed out.
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server=/usr/lib/wine/wineserver32
if [ -x "$server" ]; then
  timeout 60 "$server" -w || true  # the server that made the prefix ends first
  if "$server" -p; then
    trap '"$server" -k >/dev/null 2>&1 || true' EXIT
    "$loader" cmd /c exit </dev/null >/dev/null 2>&1 || true
  fi
fi
# A test process that wine fails to start (it dies at once, printing nothing, when it races
# the restart of the wine server) is tried once more; a test that fails twice fails.
ctest --preset "$preset" --repeat until-pass:2
