#!/usr/bin/env bash
# Builds the portable archive and the Debian package into build/packages/.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
EnsurePackages cmake make g++ qt6-base-dev qt6-l10n-tools qt6-translations-l10n libgtest-dev libbenchmark-dev dpkg-dev file patchelf
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "$(nproc)"
(cd build && cpack)
ls -l build/packages/*.tar.gz build/packages/*.deb
