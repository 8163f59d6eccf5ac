#!/usr/bin/env bash
# Installs the Debian packages that building and testing Vantrel need, only
# those that are missing. "setup.sh run" installs just what running needs,
# "setup.sh release" what building a release needs.
set -euo pipefail
cd "$(dirname "$0")/.."

windows_build=(cmake make g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev)
signing=(osslsigncode openssl)
run_packages=("${windows_build[@]}" wine wine64 xvfb xauth curl)
release_packages=("${windows_build[@]}" "${signing[@]}")
test_packages=("${run_packages[@]}" "${signing[@]}" g++ clang googletest libgtest-dev python3 chromium firefox-esr nodejs)

case "${1:-}" in
  run) wanted=("${run_packages[@]}") ;;
  release) wanted=("${release_packages[@]}") ;;
  *) wanted=("${test_packages[@]}") ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
[ -z "${1:-}" ] && ! command -v npm >/dev/null && missing+=(npm)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo
if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The browser test drives Debian's Chromium with playwright-core and Debian's
# Firefox with puppeteer-core; neither downloads a browser.
if [ -z "${1:-}" ] && [ ! -d tests/browser/node_modules/puppeteer-core ]; then
  (cd tests/browser && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund)
fi
