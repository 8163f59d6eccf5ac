#!/usr/bin/env bash
# Builds the libFuzzer targets (ASan+UBSan) and runs each for the given number
# of seconds (default 30), starting from the committed seed corpus. New inputs
# go to build/fuzz/corpus, never into the repository. The targets are the
# ones fuzz/CMakeLists.txt builds; build output is kept in build/logs/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
. scripts/lib.sh
logged build/logs/fuzz-configure.log cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_TESTS=OFF -DVANTREL_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" || exit 1
logged build/logs/fuzz-build.log cmake --build build/fuzz -j "$(nproc)" || exit 1
for exe in $(find build/fuzz/fuzz -maxdepth 1 -type f -name 'fuzz_*' -executable | sort); do
  target=${exe##*/fuzz_}
  mkdir -p "build/fuzz/corpus/$target" "build/fuzz/findings/$target"
  echo "=== fuzz_$target for ${seconds}s"
  "$exe" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="build/fuzz/findings/$target/" \
    "build/fuzz/corpus/$target" "fuzz/corpus/$target" 2>&1 | grep -E "stat::number_of_executed_units|stat::peak_rss|ERROR|SUMMARY|Done" || true
  if [ -n "$(ls -A "build/fuzz/findings/$target")" ]; then
    echo "fuzz_$target found a failing input: build/fuzz/findings/$target"
    exit 1
  fi
done
