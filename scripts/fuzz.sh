#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each of them for SECONDS
# (default 60), one after the other, from the seed corpus our own generators
# write plus the corpus earlier runs left in build/fuzz/corpus. Prints, per
# target, the executions, the coverage libFuzzer reached and what it found.
# Exits non-zero when any target crashed, leaked, hung or ran out of memory.
#
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/fuzz.sh [SECONDS]" >&2
  exit 2
fi

# The project's own build dependencies (the configure step needs them all),
# then clang and its sanitizer and libFuzzer runtimes.
bash scripts/deps.sh
bash scripts/deps.sh clang-14 libclang-rt-14-dev

build=build/fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKMISSION_FUZZ=ON >/dev/null
cmake --build "$build" --target kmission_fuzz

rm -rf "$build/seeds"
"$build/fuzz/kmission_fuzz_seeds" "$build/seeds"

run="$(date -u +%Y%m%d-%H%M%S)"
findings="$build/findings/$run"
logs="$build/logs/$run"
mkdir -p "$findings" "$logs"

# Leaks count as findings; undefined behaviour already aborts (the build
# does not recover from it).
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=1"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}print_stacktrace=1"

# target and the largest input it is given: archives need room for their
# directories, number texts do not.
targets=(
  "fuzz_mission_load 16384"
  "fuzz_shared_archive 16384"
  "fuzz_picture 16384"
  "fuzz_round_trip 16384"
  "fuzz_number_text 512"
)

printf '%-20s %12s %8s %9s %9s %8s  %s\n' target executions exec/s coverage features rss_mb findings >"$logs/summary"
failed=0
for entry in "${targets[@]}"; do
  read -r target max_len <<<"$entry"
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  log="$logs/$target.log"
  echo "Fuzzing $target for $seconds s ..."
  status=0
  # The outer limit only guards against libFuzzer itself never returning.
  timeout --kill-after=30 $((seconds + 300)) "$build/fuzz/$target" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$max_len" \
    -print_final_stats=1 -artifact_prefix="$findings/$target-" \
    "$corpus" "$build/seeds/$target" >"$log" 2>&1 || status=$?

  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -n 1)
  coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n 1 || true)
  edges=$(awk '{print $2}' <<<"$coverage")
  features=$(awk '{print $4}' <<<"$coverage")
  found=$(find "$findings" -name "$target-*" | wc -l)
  if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    failed=1
    what="$found (exit $status; log $log)"
  else
    what=0
  fi
  printf '%-20s %12s %8s %9s %9s %8s  %s\n' "$target" "${executions:-?}" "${speed:-?}" \
    "${edges:-?}" "${features:-?}" "${rss:-?}" "$what" >>"$logs/summary"
done

echo
echo "Fuzzing, $seconds s per target, $(date -u '+%Y-%m-%d %H:%M UTC'), $(clang++-14 --version | head -n 1):"
cat "$logs/summary"
if [ "$failed" -ne 0 ]; then
  echo
  echo "Findings (inputs to reproduce with the target binary) are in $findings:"
  find "$findings" -type f | sort
  exit 1
fi
