#!/usr/bin/env bash
# Installs what is missing on Debian 12, builds, then either starts the viewer
# on the sample maps ("run") or runs every test headless ("test").
set -euo pipefail

mode=${1:-}
if [[ $mode != run && $mode != test ]]; then
    echo "usage: $0 run|test" >&2
    exit 2
fi
cd "$(dirname "$0")/.."
source tools/packages.sh

EnsurePackages cmake make g++ g++-multilib qt6-base-dev qt6-l10n-tools qt6-translations-l10n libgtest-dev libbenchmark-dev fonts-wqy-zenhei imagemagick time man-db
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [[ $mode == run ]]; then
    # The programs the README's user sections use and the sample maps; not the tests.
    cmake --build build --parallel "$(nproc)" --target tarvex-viewer sample_maps stand_in_client \
        tarvex-find tarvex-where tarvex-route tarvex-map2bmp
    cd build/samples
    exec ../bin/tarvex-viewer
fi
cmake --build build --parallel "$(nproc)"
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"
