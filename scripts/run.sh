#!/usr/bin/env bash
# Builds vantrel.exe and runs it under Wine on a virtual display. While it
# runs, http://127.0.0.1:47321/ answers "Vantrel is running.". Like the real
# program it quits by itself after 90 s if no tracker page subscribes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh run

cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win --target vantrel -j "$(nproc)"

export WINEPREFIX="${WINEPREFIX:-$HOME/.vantrel-wine}" WINEDEBUG=-all
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
echo "Vantrel is starting on http://127.0.0.1:47321/ (try: curl http://127.0.0.1:47321/)"
exec xvfb-run -a wine build/win/vantrel.exe "$@"
