#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its SVG. The PNGs are committed,
# so only whoever redraws the SVG needs rsvg-convert (librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../resources/icons"
for s in 48 128 256; do
    rsvg-convert -w "$s" -h "$s" hicolor/quillon.svg -o "hicolor/quillon-$s.png"
done
# The window's own icon, also the 64 px size of the theme.
rsvg-convert -w 64 -h 64 hicolor/quillon.svg -o quillon.png
