#!/usr/bin/env bash
# Renders the PNG sizes of the desktop icon from its SVG (rsvg-convert, package librsvg2-bin).
# The PNGs are kept in the repository, so that building and installing need no SVG renderer;
# run this after changing resources/icons/vg28-terminal.svg.
set -euo pipefail
icons="$(dirname "$0")/../resources/icons"
"$(dirname "$0")/install-packages.sh" librsvg2-bin
for size in 16 32 48 64 128 256; do
    folder="$icons/hicolor/${size}x${size}/apps"
    mkdir -p "$folder"
    rsvg-convert -w "$size" -h "$size" "$icons/vg28-terminal.svg" -o "$folder/vg28-terminal.png"
done
