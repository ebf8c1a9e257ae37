#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, ASan and UBSan and runs each for a bounded time:
#   scripts/fuzz.sh [seconds per target, default 60]
# Each run starts from the seed corpus in fuzz/corpus/ (copied, so the repository stays as it
# is). A crash stops the script; its input is left in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
bash scripts/install-deps.sh
CC=clang CXX=clang++ bash scripts/build.sh build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMD_BUILD_FUZZ=ON -DMD_BUILD_TESTS=OFF -DMD_SANITIZERS="address;undefined" >/dev/null

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p build/fuzz/findings build/fuzz/work
for seeds in fuzz/corpus/*/; do
  name="$(basename "$seeds")"
  target="build/fuzz/fuzz/fuzz_${name//_/}"
  work="build/fuzz/work/$name"
  rm -rf "$work" && mkdir -p "$work" && cp -r "$seeds". "$work"
  echo "== $name: ${seconds}s"
  status=0
  "$target" "$work" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="build/fuzz/findings/${name}-" -print_final_stats=1 >"$work.log" 2>&1 ||
    status=$?
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb|ERROR|SUMMARY|deadly" "$work.log" || true
  if [ "$status" -ne 0 ] || ls build/fuzz/findings/"${name}"-* >/dev/null 2>&1; then
    echo "Fuzz target $name failed (exit $status); log $work.log, inputs in build/fuzz/findings/" >&2
    exit 1
  fi
done
echo "No findings."
