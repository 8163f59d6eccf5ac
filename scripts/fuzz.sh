#!/usr/bin/env bash
# Builds the libFuzzer targets (ASan+UBSan) and runs each for the given number
# of seconds (default 30), starting from the committed seed corpus. New inputs
# go to build/fuzz/corpus, never into the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_TESTS=OFF \
  -DVANTREL_FUZZ=ON -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" >/dev/null
cmake --build build/fuzz -j "$(nproc)" >/dev/null
for target in request binding command_line wide; do
  mkdir -p "build/fuzz/corpus/$target" "build/fuzz/findings/$target"
  echo "=== fuzz_$target for ${seconds}s"
  build/fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="build/fuzz/findings/$target/" \
    "build/fuzz/corpus/$target" "fuzz/corpus/$target" 2>&1 | grep -E "stat::number_of_executed_units|stat::peak_rss|ERROR|SUMMARY|Done" || true
  if [ -n "$(ls -A "build/fuzz/findings/$target")" ]; then
    echo "fuzz_$target found a failing input: build/fuzz/findings/$target"
    exit 1
  fi
done
