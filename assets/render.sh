#!/usr/bin/env bash
# Renders the drawings to the PNG files the program compiles in. Run after
# changing an SVG; needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert -w 170 -h 233 antenna.svg -o antenna.png
for size in 16 32 48 256; do
    rsvg-convert -w "$size" -h "$size" icon.svg -o "icon-$size.png"
done
