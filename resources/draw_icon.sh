#!/usr/bin/env bash
# Draws the program's icon, a red heart carrying "Amorix" in white, as a PNG of any size: the
# 64-pixel original of amorix.ico and the larger ones that the browser program installs with.
# Needs ImageMagick 6 (convert) and fonts-liberation. Output is deterministic (no metadata), in a
# palette of 64 colours, which keeps the largest under 12 KB.
# Usage: draw_icon.sh SIZE OUT.png
set -euo pipefail

size=$1
out=$2
sans_bold=/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf
[ -r "$sans_bold" ] || { echo "missing font: $sans_bold (install fonts-liberation)" >&2; exit 1; }

# Drawn on a 64-unit grid, scaled to the size.
k=$(awk -v s="$size" 'BEGIN { printf "%.6f", s / 64 }')
at() { awk -v k="$k" -v x="$1" -v y="$2" 'BEGIN { printf "%+d%+d", x * k, y * k }'; }
heart="scale $k,$k path 'M 32,60 C 12,45 2,33 2,20 C 2,9 10,3 18,3 C 25,3 30,8 32,13 C 34,8 39,3 46,3 C 54,3 62,9 62,20 C 62,33 52,45 32,60 Z'"
convert -size "${size}x${size}" radial-gradient:'#FF6060-#B00000' \
  \( -size "${size}x${size}" xc:black -fill white -draw "$heart" \) \
  -alpha off -compose copy_opacity -composite -compose over \
  -fill none -stroke '#700000' -strokewidth 1.2 -draw "$heart" \
  -stroke none -font "$sans_bold" -pointsize "$(awk -v k="$k" 'BEGIN { print 14 * k }')" \
  -gravity center -fill '#600000' -annotate "$(at 1 -2)" 'Amorix' \
  -fill white -annotate "$(at 0 -3)" 'Amorix' \
  +dither -colors 64 -strip -define png:exclude-chunks=date,time "PNG8:$out"
# The same pixels, packed tighter: every byte counts on a slow link.
optipng -quiet -o5 -strip all "$out"
