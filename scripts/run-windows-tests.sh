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
ctest --preset "$preset"
