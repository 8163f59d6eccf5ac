#!/usr/bin/env bash
# Builds and runs every test: native unit and integration tests (plain,
# under AddressSanitizer+UBSan, under ThreadSanitizer), a bounded fuzzing run,
# then the Windows build, whose tests run under Wine on a virtual display
# against the real exe, the reference page in headless Chromium and the
# release script. Each stage's configure and build output is kept in
# build/logs/; a stage that fails to build shows the end of its log.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
scripts/setup.sh || exit 1
jobs=$(nproc)
logs=build/logs
failed=()
times=()

build() {  # name, build dir, cmake options...
  local name=$1 dir=$2
  shift 2
  logged "$logs/$name-configure.log" cmake -S . -B "$dir" "$@" &&
    logged "$logs/$name-build.log" cmake --build "$dir" -j "$jobs"
}

stage() {  # name, build dir, cmake options...
  local name=$1 dir=$2 start=$SECONDS
  echo "=== $name"
  if build "$@"; then
    ctest --test-dir "$dir" --output-on-failure || failed+=("$name")
  else
    failed+=("$name (build)")
  fi
  times+=("$name $((SECONDS - start)) s")
}

stage native build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo
stage "asan+ubsan" build/asan -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all"
TSAN_OPTIONS="halt_on_error=1" stage tsan build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="-fsanitize=thread"

echo "=== fuzz (30 s per target)"
start=$SECONDS
scripts/fuzz.sh 30 || failed+=("fuzz")
times+=("fuzz $((SECONDS - start)) s")

# A fresh Wine prefix for every run, made on the tests' own display: the tests
# read its registry.
echo "=== windows (wine)"
start=$SECONDS
rm -rf build/win/wineprefix
export WINEPREFIX="$PWD/build/win/wineprefix" WINEDEBUG=-all
if build windows build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release; then
  xvfb-run -a sh -c 'scripts/wine-prefix.sh && ctest --test-dir build/win --output-on-failure' || failed+=("windows")
  timeout 30 wineserver -k 2>/dev/null
else
  failed+=("windows (build)")
fi
times+=("windows $((SECONDS - start)) s")

echo "Stage times: $(IFS=,; echo "${times[*]}" | sed 's/,/, /g')"
if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED stages: ${failed[*]}"
  exit 1
fi
echo "All test stages passed."
