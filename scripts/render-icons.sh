#!/usr/bin/env bash
# Renders the program icon's PNG and ICO files from its two SVG drawings.
# The results are committed, so building never needs an SVG renderer; run
# this again after editing resources/varno.svg or resources/varno-16.svg.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")/../resources"

id=jp.zoruteka.varno
big=varno.svg      # 32-unit grid: 22 px and up
small=varno-16.svg # drawn pixel by pixel for 16 px
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The classic 16-colour palette the 32 px icon keeps to, as the window and
# About dialog show it next to each other.
palette=(000000 800000 008000 808000 000080 800080 008080 c0c0c0
         808080 ff0000 00ff00 ffff00 0000ff ff00ff 00ffff ffffff)
convert $(printf 'xc:#%s ' "${palette[@]}") +append "$tmp/palette.png"

# 32 px: rendered, then every pixel snapped to the palette and to fully
# opaque or fully transparent, without dithering.
rsvg-convert -w 32 -h 32 "$big" -o "$tmp/32.png"
convert "$tmp/32.png" -alpha extract -threshold 50% "$tmp/mask.png"
convert "$tmp/32.png" -alpha off +dither -remap "$tmp/palette.png" \
  "$tmp/mask.png" -alpha off -compose CopyOpacity -composite \
  -strip PNG32:varno.png

for n in 16 22 24 32 48 64 128 256; do
  dir=icons/hicolor/${n}x${n}/apps
  mkdir -p "$dir"
  case $n in
    16) rsvg-convert -w 16 -h 16 "$small" -o "$tmp/$n.png" ;;
    32) cp varno.png "$tmp/$n.png" ;;
    *)  rsvg-convert -w "$n" -h "$n" "$big" -o "$tmp/$n.png" ;;
  esac
  convert "$tmp/$n.png" -strip PNG32:"$dir/$id.png"
done
mkdir -p icons/hicolor/scalable/apps
cp "$big" icons/hicolor/scalable/apps/$id.svg

# Windows: 16, 32, 48 and 256 in one file (256 is stored PNG-compressed).
convert icons/hicolor/16x16/apps/$id.png icons/hicolor/32x32/apps/$id.png \
  icons/hicolor/48x48/apps/$id.png icons/hicolor/256x256/apps/$id.png varno.ico
