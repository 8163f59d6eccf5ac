#!/usr/bin/env bash
# Builds and runs every test: native unit and integration tests (plain,
# under AddressSanitizer+UBSan, under ThreadSanitizer), a bounded fuzzing run,
# then the Windows build, whose tests run under Wine on a virtual display
# against the real exe, and the reference page in headless Chromium.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh || exit 1
jobs=$(nproc)
failed=()

stage() {  # name, build dir, cmake options...
  local name=$1 dir=$2
  shift 2
  echo "=== $name"
  if ! cmake -S . -B "$dir" "$@" >/dev/null || ! cmake --build "$dir" -j "$jobs" >/dev/null; then
    failed+=("$name (build)")
    return
  fi
  ctest --test-dir "$dir" --output-on-failure || failed+=("$name")
}

stage native build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo
stage "asan+ubsan" build/asan -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all"
TSAN_OPTIONS="halt_on_error=1" stage tsan build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="-fsanitize=thread"

echo "=== fuzz (30 s per target)"
scripts/fuzz.sh 30 || failed+=("fuzz")

# A fresh Wine prefix for every run: the tests read its registry.
rm -rf build/win/wineprefix
export WINEPREFIX="$PWD/build/win/wineprefix" WINEDEBUG=-all
echo "=== windows (wine)"
if cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null &&
   cmake --build build/win -j "$jobs" >/dev/null; then
  wineboot -i >/dev/null 2>&1
  xvfb-run -a ctest --test-dir build/win --output-on-failure || failed+=("windows")
  wineserver -k 2>/dev/null
else
  failed+=("windows (build)")
fi

if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED stages: ${failed[*]}"
  exit 1
fi
echo "All test stages passed."
