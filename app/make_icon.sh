#!/usr/bin/env bash
# Draws the player's application icon (a light play mark on a deep blue tile)
# at the sizes Windows asks for, into one .ico file.
set -euo pipefail
out=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 256x256 xc:none \
  \( -size 256x256 gradient:'#3b82f6'-'#0b1f4d' \) -delete 0 \
  \( -size 256x256 xc:black -fill white -draw 'roundrectangle 8,8 247,247 48,48' \) \
  -alpha off -compose CopyOpacity -composite \
  -fill '#f8fafc' -stroke '#cbd5e1' -strokewidth 6 -draw 'polygon 96,64 96,192 200,128' \
  "$tmp/tile.png"
convert "$tmp/tile.png" -define icon:auto-resize=256,48,32,16 "$out"
