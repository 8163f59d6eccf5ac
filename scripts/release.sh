#!/usr/bin/env bash
# Builds what a player downloads: dist/vantrel-<version>.exe, stripped and
# reproducible (the same commit gives the same bytes in any folder, at any
# time), and dist/SHA256SUMS. When VANTREL_SIGN_PFX names a PKCS#12 file
# (certificate and key) and VANTREL_SIGN_PASSWORD holds its password, the exe
# is signed with osslsigncode and the signature verified against that
# certificate before the checksum is taken.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
scripts/setup.sh release

build=build/release
# Stripped by the linker: a separate strip would stamp the header with the
# time of the strip.
logged "$build/logs/configure.log" cmake -S . -B "$build" --no-warn-unused-cli \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release -DCMAKE_EXE_LINKER_FLAGS=-s -DVANTREL_TESTS=OFF
logged "$build/logs/build.log" cmake --build "$build" --target vantrel -j "$(nproc)"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
exe="vantrel-$version.exe"

rm -rf dist
mkdir dist
cp "$build/vantrel.exe" "dist/$exe"

if [ -n "${VANTREL_SIGN_PFX:-}" ]; then
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  # The password goes through files, never a command line others can read.
  printf '%s' "${VANTREL_SIGN_PASSWORD:-}" > "$work/password"
  osslsigncode sign -pkcs12 "$VANTREL_SIGN_PFX" -readpass "$work/password" -h sha256 -n Vantrel \
    -in "dist/$exe" -out "$work/signed.exe" >/dev/null
  openssl pkcs12 -in "$VANTREL_SIGN_PFX" -passin "file:$work/password" -nokeys -out "$work/chain.pem" 2>/dev/null
  osslsigncode verify -CAfile "$work/chain.pem" -in "$work/signed.exe" >"$work/verify.log" 2>&1 ||
    { cat "$work/verify.log" >&2; echo "the signature does not verify" >&2; exit 1; }
  mv "$work/signed.exe" "dist/$exe"
  echo "dist/$exe: signed and verified"
else
  echo "dist/$exe: unsigned (no VANTREL_SIGN_PFX); Windows will warn that the publisher is unknown"
fi
(cd dist && sha256sum "$exe" > SHA256SUMS)
cat dist/SHA256SUMS
