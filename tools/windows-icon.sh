#!/usr/bin/env bash
# Writes packaging/windows/tarvex.ico, the Windows programs' icon, from the
# desktop icons app/icons/hicolor/tarvex-{16,32,48}.png (run it after changing
# those; tools/windows-checks.sh checks that the two agree).
#   bash tools/windows-icon.sh
set -euo pipefail
cd "$(dirname "$0")/.."
convert app/icons/hicolor/tarvex-{16,32,48}.png packaging/windows/tarvex.ico
