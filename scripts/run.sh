#!/usr/bin/env bash
# Builds vantrel.exe and runs it under Wine on a virtual display. While it
# runs, http://127.0.0.1:47321/ answers "Vantrel is running.". Like the real
# program it quits by itself after 90 s if no tracker page subscribes.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
scripts/setup.sh run

logged build/logs/run-configure.log \
  cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release
logged build/logs/run-build.log cmake --build build/win --target vantrel -j "$(nproc)"

export WINEPREFIX="${WINEPREFIX:-$HOME/.vantrel-wine}" WINEDEBUG=-all
echo "Vantrel is starting on http://127.0.0.1:47321/ (try: curl http://127.0.0.1:47321/)"
# A new prefix is set up on the program's own virtual display. Once the
# program has ended, its Wine session is let end before the display goes: a
# Wine process still on it would print the X server's "connection broken".
exec xvfb-run -a sh -c 'scripts/wine-prefix.sh || exit 1
wine build/win/vantrel.exe "$@"
status=$?
timeout 30 wineserver -w
echo "Vantrel quit with status $status."
exit $status' run.sh "$@"
