#!/usr/bin/env bash
# Installs the Debian packages that building and testing Vantrel need, only
# those that are missing. "setup.sh run" installs just what running needs.
set -euo pipefail
cd "$(dirname "$0")/.."

run_packages=(cmake make g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
              wine wine64 xvfb xauth curl)
test_packages=("${run_packages[@]}" g++ clang googletest libgtest-dev python3 chromium nodejs)

if [ "${1:-}" = run ]; then wanted=("${run_packages[@]}"); else wanted=("${test_packages[@]}"); fi

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
[ "${1:-}" != run ] && ! command -v npm >/dev/null && missing+=(npm)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The browser test drives Debian's Chromium with playwright-core (no browser download).
if [ "${1:-}" != run ] && [ ! -d tests/browser/node_modules/playwright-core ]; then
  (cd tests/browser && npm ci --no-audit --no-fund)
fi
