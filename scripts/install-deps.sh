#!/usr/bin/env bash
# Installs what building and testing Zelk needs on a Debian machine, when it is missing:
# the native toolchain and GoogleTest sources, both MinGW-w64 cross compilers, wine (with
# wine32 where the machine can take i386 packages), xmllint, clang with its libFuzzer
# runtime and clang-format (the fuzz targets and the format check), Chromium (the
# tests that render pages in a real browser) and PCRE2 (for a benchmark).
#
# Package mirrors are sometimes caught in the middle of a sync: `apt-get update` then fails
# to fetch one index, says so and exits 100, although every package Zelk needs can still be
# installed from the lists that did arrive. So a failed update is retried a couple of times
# and then the install goes on; only a package that cannot be installed stops it.
#
# For tests: ZELK_DEPS_PRETEND_MISSING names packages to install as if their tools were
# missing. The apt-get and dpkg found on PATH are then expected to be stand-ins, so the
# script does not ask to run as root.
set -uo pipefail

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
pretend=${ZELK_DEPS_PRETEND_MISSING:-}
# shellcheck disable=SC2206  # a list of package names, split on blanks
[ -z "$pretend" ] || need+=($pretend)

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

if [ -z "$pretend" ] && [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing ${need[*]}; run as root (or install them) first" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
update_tries=3
update_pause=5

# Refreshes the package lists. An update that fails, or that reports indexes it could not
# fetch, is tried again after a pause; after the last try the lists that did arrive serve.
update_package_lists() {
  local try out
  for try in $(seq 1 "$update_tries"); do
    if out=$(apt-get update -qq 2>&1) && ! grep -q -E '^(E|W): (Failed to fetch|Some index files failed)' <<<"$out"; then
      return 0
    fi
    echo "install-deps: apt-get update, try $try of $update_tries, could not fetch every index:" >&2
    grep -E '^(E|W):' <<<"$out" | head -3 | sed 's/^/    /' >&2
    [ "$try" -lt "$update_tries" ] && sleep "$update_pause"
  done
  echo "install-deps: going on with the package lists that are there" >&2
}

# Installs the packages named; on failure prints apt's own errors and returns 1.
install_packages() {
  local out
  if out=$(apt-get install -y -qq --no-install-recommends "$@" 2>&1); then
    return 0
  fi
  printf '%s\n' "$out" | grep -E '^(E|W):|broken|Depends' | head -8 | sed 's/^/    /' >&2
  return 1
}

echo "install-deps: installing ${need[*]}"
# The 32-bit wine loader runs the i686 tests on machines whose kernel executes 32-bit code.
dpkg --add-architecture i386 || true
update_package_lists
if ! install_packages "${need[@]}"; then
  cat >&2 <<EOF
install-deps: could not install: ${need[*]}
  apt's errors are above. When they speak of a mirror sync or of files of unexpected size,
  the mirror is being updated: wait a few minutes and run the command again. Otherwise
  install the packages named by hand (apt-get install ${need[*]}) and run it again.
EOF
  exit 1
fi
install_packages wine32:i386 2>/dev/null ||
  echo "install-deps: wine32 not available; the i686 tests will be built but not run"
exit 0
