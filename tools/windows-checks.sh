#!/usr/bin/env bash
# Cross-builds everything that needs no Qt for 64-bit Windows with mingw-w64,
# runs its tests under Wine, then the Wine scenario of the Linux build (run
# tools/setup.sh test first): the Windows stand-in client under Wine is
# listed by its ".exe" name and read at its Windows address.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
EnsurePackages cmake make g++-mingw-w64-x86-64-posix googletest wine wine64

# Wine makes its prefix on first start: one of the build's own.
export WINEPREFIX=$PWD/build-windows/wine-prefix WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
cmake -S . -B build-windows -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DTARVEX_BUILD_APP=OFF -DTARVEX_BUILD_BENCHMARKS=OFF
cmake --build build-windows --parallel "$(nproc)"
(cd build-windows && ctest --output-on-failure)

echo "== The Windows client under Wine, followed from Linux"
TARVEX_REQUIRE_WINE=1 TARVEX_WINDOWS_CLIENT=$PWD/build-windows/bin/stand_in_client.exe \
    build/tests/track_tests --gtest_filter='WineScenarioTest.*'
wineserver -k || true
