#!/usr/bin/env bash
# Installs what building and testing Zelk needs on a Debian machine, when it is missing:
# the native toolchain and GoogleTest sources, both MinGW-w64 cross compilers, wine (with
# wine32 where the machine can take i386 packages), xmllint, clang with its libFuzzer
# runtime and clang-format (the fuzz targets and the format check), Chromium (the
# test that renders the denied page in a real browser) and PCRE2 (for a benchmark).
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }
have cmake || need+=(cmake)
have ninja || need+=(ninja-build)
have g++ || need+=(g++)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686)
have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64 wine)
have xmllint || need+=(libxml2-utils)
have clang++ || need+=(clang)
have clang-format || need+=(clang-format)
compgen -G '/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null ||
  need+=(libclang-rt-14-dev)
have chromium || need+=(chromium)
# PCRE2 only for the list-size benchmark's comparison.
[ -f /usr/include/pcre2.h ] || need+=(libpcre2-dev)

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing ${need[*]}; run as root (or install them) first" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
echo "install-deps: installing ${need[*]}"
# The 32-bit wine loader runs the i686 tests on machines whose kernel executes 32-bit code.
dpkg --add-architecture i386 || true
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null 2>&1 ||
  echo "install-deps: wine32 not available; the i686 tests will be built but not run"
