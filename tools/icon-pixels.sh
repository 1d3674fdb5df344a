#!/usr/bin/env bash
# Writes app/shared/IconPixels.cpp, the window's icons as pixels, from app/icons/*.png
# (run it after changing an icon; a test checks that the two agree).
#   bash tools/icon-pixels.sh
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C # the icons in the same order everywhere
icons=()
for png in app/icons/*.png; do icons+=("$(basename "$png" .png)"); done
{
    echo "// Made by tools/icon-pixels.sh from app/icons/*.png: change those and run it."
    echo
    echo '#include "app/shared/IconPixels.h"'
    echo
    echo "namespace {"
    for icon in "${icons[@]}"; do
        echo
        echo "const std::uint32_t k${icon//-/_}[] = {"
        # ImageMagick gives red, green, blue, alpha bytes; the table keeps 0xAARRGGBB.
        convert "app/icons/$icon.png" -depth 8 rgba:- | od -An -v -tx1 | tr -s ' \n' '\n\n' | grep . |
            paste -d' ' - - - - | awk '{ printf "0x%s%s%s%s,%s", $4, $1, $2, $3, (NR % 8 ? " " : "\n") }' |
            sed 's/^/    /; s/ $//'
        echo "};"
    done
    echo
    echo "} // namespace"
    echo
    echo "const std::array<IconPixels, ${#icons[@]}> kIconPixels{{"
    for icon in "${icons[@]}"; do
        size=$(identify -format %w "app/icons/$icon.png")
        echo "    {\"$icon\", $size, k${icon//-/_}},"
    done
    echo "}};"
} >app/shared/IconPixels.cpp
