#!/usr/bin/env bash
# Runs the fuzz harnesses of tests/fuzz with libFuzzer (clang, which it
# installs, with the address and undefined-behaviour sanitizers and leak
# detection):
#
#   scripts/fuzz.sh [NAME|all] [SECONDS]     all harnesses, 60 s each, by default
#
# Environment: ZEB_FUZZ_JOBS harnesses run side by side (default 1),
# ZEB_FUZZ_BUILD the build directory (build/fuzz), ZEB_FUZZ_DATA the
# generated data tree the harnesses read (build/test/share/galdrino, made
# with the test build when missing).
#
# Each harness keeps its growing corpus in $ZEB_FUZZ_BUILD/corpus/NAME. Any
# crash, leak, time-out or out-of-memory fails the run; the input that caused
# it is kept in $ZEB_FUZZ_BUILD/faults/NAME/ and its path printed. Copy it to
# tests/fuzz/regressions/NAME/ once the fault is mended: the test suite
# replays every file there.
set -euo pipefail
cd "$(dirname "$0")/.."

which=${1:-all}
seconds=${2:-60}
jobs=${ZEB_FUZZ_JOBS:-1}
build=${ZEB_FUZZ_BUILD:-build/fuzz}
export ZEB_FUZZ_DATA=${ZEB_FUZZ_DATA:-$PWD/build/test/share/galdrino}

if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "fuzz.sh: SECONDS must be a whole number above 0, not '$seconds'" >&2
  exit 2
fi

scripts/setup.sh clang

if [ ! -f "$ZEB_FUZZ_DATA/talvek/quelotts/zbr1" ]; then
  echo "fuzz.sh: no generated data in $ZEB_FUZZ_DATA; making it with the test build"
  cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build build/test -j"$(nproc)" --target zeb_data
  ZEB_FUZZ_DATA=$PWD/build/test/share/galdrino
fi

all=()
for source in tests/fuzz/*_fuzz.cpp; do
  name=${source##*/}
  all+=("${name%_fuzz.cpp}")
done
if [ "$which" = all ]; then
  names=("${all[@]}")
elif [ -f "tests/fuzz/${which}_fuzz.cpp" ]; then
  names=("$which")
else
  echo "fuzz.sh: no harness '$which'; the harnesses are: ${all[*]}" >&2
  exit 2
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEB_FUZZ=ON -DZEB_WITH_SDL=OFF \
  -DZEB_WITH_DATA=OFF -DBUILD_TESTING=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DZEB_FUZZ_DATA="$ZEB_FUZZ_DATA" >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzz-seeds "${names[@]/#/fuzz-}"

harnesses=$build/tests/fuzz
made=$harnesses/made
rm -rf "$made"
"$harnesses/fuzz-seeds" "$made"

# Every seed of a harness copied into one directory: libFuzzer reads corpus
# directories, not single files.
gather_seeds() {
  local name=$1 seeds=$2 path
  rm -rf "$seeds"
  mkdir -p "$seeds"
  while IFS= read -r path; do
    if [ -d "$path" ]; then
      cp -r "$path/." "$seeds/"
    elif [ -f "$path" ]; then
      cp "$path" "$seeds/"
    fi
  done <"$harnesses/harnesses/$name.seeds"
}

run_one() {
  local name=$1
  local corpus=$build/corpus/$name seeds=$build/seeds/$name faults=$build/faults/$name
  local log=$build/logs/$name.log
  mkdir -p "$corpus" "$faults" "$build/logs"
  gather_seeds "$name" "$seeds"
  local status=0
  "$harnesses/fuzz-$name" -max_total_time="$seconds" -max_len="$(cat "$harnesses/harnesses/$name.max_len")" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$faults/" \
    "$corpus" "$seeds" >"$log" 2>&1 || status=$?
  local runs cov
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  if [ "$status" -eq 0 ]; then
    printf '%-22s ok    %10s runs in %4s s, coverage %s\n' "$name" "${runs:-?}" "$seconds" "${cov:-?}"
    return 0
  fi
  printf '%-22s FAULT (exit %s), log %s\n' "$name" "$status" "$log"
  grep -E '^==[0-9]+==ERROR|^SUMMARY|runtime error|^ALARM|out-of-memory|Test unit written' "$log" |
    head -8 | sed 's/^/    /'
  local kept
  for kept in "$faults"/*; do
    [ -f "$kept" ] && echo "    reproducing input kept: $kept (rerun: $harnesses/fuzz-$name $kept)"
  done
  return 1
}

echo "fuzzing ${#names[@]} harness(es), $seconds s each, $jobs at a time"
failed=0
running=0
for name in "${names[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
  run_one "$name" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done

if [ "$failed" -ne 0 ]; then
  echo "fuzz.sh: faults found; the inputs are kept under $build/faults/" >&2
  exit 1
fi
echo "fuzz.sh: no faults"
