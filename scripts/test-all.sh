#!/usr/bin/env bash
# Everything `make test` does, in order: the format check, the four builds with warnings
# as errors, their suites (the Windows ones under wine), and every fuzz target for
# FUZZ_SECONDS (30 by default). It goes on past a failure, so that its last lines say
# which builds and suites ran, which were skipped and why, and which failed; it fails when
# any did.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1
fuzz_seconds=${FUZZ_SECONDS:-30}
results=()
failed=0

step() {
  local name=$1
  shift
  echo "== $name"
  if "$@"; then
    results+=("ran      $name")
  else
    results+=("FAILED   $name")
    failed=1
  fi
}
skip() { results+=("skipped  $1: $2"); }

# Runs a CTest preset, keeping its output, and notes the tests that skipped themselves.
suite() {
  local preset=$1 log="build/$1/ctest.log"
  ctest --preset "$preset" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  local skipped
  skipped=$(grep -E '\*\*\*Skipped|Not Run' "$log" | sed -E 's/.*Test +#[0-9]+: ([^ ]+).*/\1/' |
            tr '\n' ' ')
  [ -z "$skipped" ] || skip "tests in $preset: $skipped" "each said why in its output above"
  return "$status"
}

# The tests of a preset's last CTest run that failed, by name.
failed_tests() {
  local list="build/$1/Testing/Temporary/LastTestsFailed.log"
  [ -f "$list" ] && cut -d: -f2- "$list"
}

# The lines where each failed test of a preset said what went wrong, a few per test, so
# that the end of a long log says why a suite failed and not only that it did.
why_failed() {
  local preset=$1 log="build/$1/Testing/Temporary/LastTest.log" name
  [ -f "$log" ] || return 0
  failed_tests "$preset" | head -n 4 | while IFS= read -r name; do
    echo "-- $preset: $name"
    awk -v name="$name" 'index($0, "Test: " name) { on = 1 } on { print }
                         on && index($0, "\"" name "\" end time") { on = 0 }' "$log" |
      grep -E 'Failure|Expected|Which is|Value of|Actual|rror|xception|Timeout|Test time' |
      head -n 6
  done
}

make --no-print-directory deps || exit 1
step "format check (clang-format)" make --no-print-directory format-check
for preset in linux linux-asan; do
  step "build $preset (warnings as errors)" make --no-print-directory "$preset"
  step "suite $preset" suite "$preset"
done
for preset in windows-x64 windows-x86; do
  step "build $preset (warnings as errors)" make --no-print-directory "$preset"
  loader=$([ "$preset" = windows-x86 ] && echo /usr/lib/wine/wine || echo /usr/lib/wine/wine64)
  if "$loader" --version >/dev/null 2>&1; then
    step "suite $preset (wine)" scripts/run-windows-tests.sh "$preset"
  else
    step "export table of $preset" scripts/run-windows-tests.sh "$preset"
    skip "suite $preset" "$loader cannot run here (the kernel runs no 32-bit programs, or no wine)"
  fi
done
step "build fuzz (clang, libFuzzer, ASan, UBSan)" make --no-print-directory fuzz-build
step "fuzz every target for ${fuzz_seconds}s" scripts/run-fuzz.sh "$fuzz_seconds"

echo
echo "== make test summary"
printf '%s\n' "${results[@]}"
if [ $failed -ne 0 ]; then
  for preset in linux linux-asan windows-x64 windows-x86; do
    if printf '%s\n' "${results[@]}" | grep -q "^FAILED   suite $preset"; then
      why_failed "$preset"
    fi
  done
  echo "make test: FAILED"
  exit 1
fi
echo "make test: every build and suite above ran and passed, except those marked skipped"
