#!/usr/bin/env bash
# Renders the program icon's PNG sizes from its drawings in data/icons/: 16 px from the drawing
# made for that size, the others from the scalable one. The PNGs are committed; run this after
# changing a drawing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh package

icons=data/icons
rsvg-convert -w 16 -h 16 "$icons/yb-downloader-16.svg" -o "$icons/yb-downloader-16.png"
for size in 32 48 128 256; do
    rsvg-convert -w "$size" -h "$size" "$icons/yb-downloader.svg" -o "$icons/yb-downloader-$size.png"
done
ls -l "$icons"/*.png
