#!/usr/bin/env bash
# Runs every fuzz target of build/fuzz for SECONDS each: scripts/run-fuzz.sh SECONDS
# Each target starts from its seed corpus in fuzz/corpus/<name> (which holds the inputs
# fuzzing has found, so they are replayed first) and keeps what it learns in
# build/fuzz/corpus/<name>. A finding stops with the input in build/fuzz/findings/ and
# makes the script fail. The last lines give, per target, runs, executions per second and
# coverage (libFuzzer's cov: edges and ft: features).
set -uo pipefail
seconds=${1:-600}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"
mkdir -p "$build/findings" "$build/logs"
failed=()
summary=()
while read -r name; do
  [ -n "$name" ] || continue
  binary="$build/fuzz/${name}_fuzzer"
  corpus="$build/corpus/$name"
  log="$build/logs/$name.log"
  mkdir -p "$corpus"
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds=("$root/fuzz/corpus/$name")
  echo "== fuzz $name for ${seconds}s"
  "$binary" -max_total_time="$seconds" -print_final_stats=1 -timeout=25 -rss_limit_mb=2048 \
    -max_len=4096 -artifact_prefix="$build/findings/$name-" \
    "$corpus" "${seeds[@]}" >"$log" 2>&1
  status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  speed=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$')
  coverage=$(grep -E '^#[0-9]+' "$log" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+')
  if [ $status -ne 0 ]; then
    failed+=("$name")
    tail -40 "$log"
    summary+=("$(printf '%-16s FINDING (exit %d), see %s' "$name" "$status" "$log")")
  else
    summary+=("$(printf '%-16s %8s runs %7s exec/s  %s' "$name" "${runs:-?}" "${speed:-?}" \
      "${coverage:-}")")
  fi
done <"$build/fuzz/targets.txt"
echo "== fuzz summary (${seconds}s each)"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: findings in ${failed[*]}" >&2
  exit 1
fi
