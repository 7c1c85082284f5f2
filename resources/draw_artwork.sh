#!/usr/bin/env bash
# Draws every picture that the executable embeds: the eight window backgrounds and the two icons.
# The outputs are committed beside this script, so the build never runs it; run it again after
# changing a picture. Needs ImageMagick 6 (convert), fonts-liberation and fonts-urw-base35.
# Output is deterministic: metadata is stripped and the JPEG quality and sampling are fixed.
#
# Each background leaves plain the places where the window's labels stand on top of it (close
# labels, menu labels, "Click here" links, the version line), so the labels read cleanly.
set -euo pipefail

cd "$(dirname "$0")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

liberation=/usr/share/fonts/truetype/liberation
urw=/usr/share/fonts/opentype/urw-base35
sans="$liberation/LiberationSans-Regular.ttf"
sans_bold="$liberation/LiberationSans-Bold.ttf"
serif="$liberation/LiberationSerif-Regular.ttf"
serif_bold="$liberation/LiberationSerif-Bold.ttf"
serif_italic="$liberation/LiberationSerif-Italic.ttf"
serif_bold_italic="$liberation/LiberationSerif-BoldItalic.ttf"
script_face="$urw/Z003-MediumItalic.otf"
for font in "$sans" "$sans_bold" "$serif" "$serif_bold" "$serif_italic" "$serif_bold_italic" \
  "$script_face"; do
  [ -r "$font" ] || { echo "missing font: $font (install fonts-liberation, fonts-urw-base35)" >&2; exit 1; }
done

dark_red='#C00000'
deep_red='#800000'
gold='#E8C050'
button_face='#FBE8E8'

# Writes a picture as a small, reproducible JPEG.
save_jpeg() {
  convert "$1" -strip -colorspace sRGB -sampling-factor 2x2 -quality 85 \
    -define jpeg:optimize-coding=true "$2"
}

# The frame shared by the secondary windows: a dark red title band carrying the title, a white
# panel framed in dark red, a dark red band along the bottom. When a close label stands on the
# title band, a light well goes under it so that its dark red "0" reads on the red band.
# Arguments: output width height panel_top panel_bottom title [well_x0 well_y0 well_x1 well_y1].
framed_window() {
  local out=$1 w=$2 h=$3 top=$4 bottom=$5 title=$6
  local title_size=$((top * 6 / 10 + 2))
  local title_base=$(((top + title_size * 7 / 10) / 2 + 1))
  local well=()
  if [ $# -ge 10 ]; then
    well=(-fill "$button_face" -stroke "$deep_red" -strokewidth 1
      -draw "roundrectangle $7,$8 $9,${10} 3,3")
  fi
  convert -size "${w}x${h}" "xc:$dark_red" \
    -fill '#D02020' -draw "line 0,0 $((w - 1)),0" \
    -fill "$deep_red" -draw "line 0,$((top - 2)) $((w - 1)),$((top - 2))" \
    -draw "line 0,$((bottom + 2)) $((w - 1)),$((bottom + 2))" \
    -fill white -stroke "$deep_red" -strokewidth 1 -draw "rectangle 4,$top $((w - 5)),$bottom" \
    -fill none -stroke '#E8B0B0' -draw "rectangle 6,$((top + 2)) $((w - 7)),$((bottom - 2))" \
    -stroke none -fill white -font "$serif_bold_italic" -pointsize "$title_size" \
    -annotate "+12+$title_base" "$title" \
    "${well[@]}" "$out"
}

# ---------------------------------------------------------------------------------------------
# Form1, main window, 600 x 342: top band with QUILLON / Amorix, white panel whose top edge is a
# raised red bar for the menu labels, a framed white flower, bottom band with "Nimbus".

flower="$work/flower.png"
petals=()
for angle in 0 45 90 135 180 225 270 315; do
  petals+=(-draw "translate 28,28 rotate $angle ellipse 0,-11 6,11 0,360")
done
convert -size 56x56 radial-gradient:'#E86A78-#A0102A' \
  -fill '#2E7A2E' -draw "translate 28,28 rotate 22 ellipse 0,-21 4,9 0,360" \
  -draw "translate 28,28 rotate 202 ellipse 0,-21 4,9 0,360" \
  -fill white -stroke '#E8D8DC' -strokewidth 1 "${petals[@]}" \
  -stroke none -fill '#F0C030' -draw "circle 28,28 28,22" \
  -fill '#C89010' -draw "circle 26,26 27,27" -draw "circle 30,29 31,30" -draw "circle 27,31 28,32" \
  -resize 52x52 -bordercolor white -border 1 -bordercolor "$dark_red" -border 3 "$flower"

convert -size 600x342 "xc:$dark_red" \
  -fill '#D01818' -draw 'rectangle 0,0 599,1' \
  -stroke none -fill '#5A0000' -font "$serif_bold_italic" -pointsize 26 -annotate +19+31 'QUILLON' \
  -fill "$gold" -annotate +18+30 'QUILLON' \
  -fill white -font "$serif_italic" -pointsize 20 -annotate +20+51 'Amorix' \
  -fill "$button_face" -stroke "$deep_red" -strokewidth 1 -draw 'roundrectangle 564,6 596,35 4,4' \
  -fill white -stroke "$deep_red" -draw 'rectangle 7,57 592,314' \
  -stroke none -fill '#F0A8A8' -draw 'rectangle 8,58 591,85' \
  -fill '#FFE0E0' -draw 'rectangle 8,58 591,59' -draw 'rectangle 8,58 9,85' \
  -fill '#A00000' -draw 'rectangle 8,84 591,85' -draw 'rectangle 590,58 591,85' \
  -fill "$deep_red" -draw 'line 8,86 591,86' \
  -fill none -stroke '#E8B0B0' -draw 'rectangle 10,89 589,311' \
  "$flower" -geometry +270+248 -composite \
  -stroke none -fill "$deep_red" -draw 'line 0,316 599,316' \
  -fill white -font "$serif_bold_italic" -pointsize 20 -gravity north -annotate +0+318 'Nimbus' \
  "$work/form1.png"
save_jpeg "$work/form1.png" form1_main.jpg

# ---------------------------------------------------------------------------------------------
# Form2, input reminder, and Form7, exit confirmation, 245 x 123: title band, white panel,
# bottom band; the labels fill the panel.

framed_window "$work/form2.png" 245 123 25 105 'Information' 221 1 243 20
save_jpeg "$work/form2.png" form2_reminder.jpg

framed_window "$work/form7.png" 245 123 25 105 'Confirmation'
save_jpeg "$work/form7.png" form7_confirmation.jpg

# ---------------------------------------------------------------------------------------------
# Form3, credits, 430 x 257: author and thanks in dark red script and black serif type.

framed_window "$work/form3_base.png" 430 257 31 233 'Credit' 405 3 427 28
convert "$work/form3_base.png" -gravity north \
  -fill "$dark_red" -font "$script_face" -pointsize 26 -annotate +0+42 'Designed and written by' \
  -fill black -font "$serif" -pointsize 18 -annotate +0+76 'R. Quillon' \
  -fill '#E0A0A0' -draw 'line 140,106 290,106' \
  -fill "$dark_red" -font "$script_face" -pointsize 26 -annotate +0+114 'With warm thanks to' \
  -fill black -font "$serif" -pointsize 17 \
  -annotate +0+148 'Mirela Ostvand' -annotate +0+170 'Tobias Vellacourt' \
  -annotate +0+192 'Anouk Dremmelin' \
  "$work/form3.png"
save_jpeg "$work/form3.png" form3_credit.jpg

# ---------------------------------------------------------------------------------------------
# Form4, help, 428 x 259: two-line credits block, update news heading, four lines whose
# "Click here" labels stand right after them (update 151, web site 173, support 195, social 218).

framed_window "$work/form4_base.png" 428 259 31 237 'Help' 405 4 427 29
convert "$work/form4_base.png" \
  -fill black -font "$serif_bold" -pointsize 15 -annotate +18+52 'Quillon Amorix 6.00 (Nimbus)' \
  -font "$serif" -pointsize 14 -annotate +18+70 'Written by R. Quillon.  Copyright (c) 2006 Quillon Software.' \
  -fill '#E0A0A0' -draw 'line 16,84 411,84' \
  -fill "$dark_red" -font "$script_face" -pointsize 24 -annotate +18+112 'Update news' \
  -fill black -font "$serif_italic" -pointsize 13 -annotate +18+132 'Stay up to date and in touch with us:' \
  -font "$sans" -pointsize 13 \
  -annotate +18+164 '•  Look for a new version:' \
  -annotate +18+186 '•  Visit the Quillon site:' \
  -annotate +18+208 '•  Ask our support centre:' \
  -annotate +18+231 '•  Find us online:' \
  "$work/form4.png"
save_jpeg "$work/form4.png" form4_help.jpg

# ---------------------------------------------------------------------------------------------
# Form5, splash, 350 x 280: darker red field, lighter bevelled edge, one line of gold italic text.
# The version label (dark red, 192..321 x 256..273) stands on the plain field.

convert -size 336x266 radial-gradient:'#900000-#560000' \
  \( -size 336x266 xc:black -fill white -draw 'roundrectangle 0,0 335,265 9,9' \) \
  -alpha off -compose copy_opacity -composite "$work/splash_field.png"
convert -size 350x280 'xc:#8A0000' \
  -fill '#E86060' -draw 'roundrectangle 0,0 347,277 14,14' \
  -fill '#C82828' -draw 'roundrectangle 2,2 347,277 13,13' \
  -fill '#5A0000' -draw 'roundrectangle 6,6 343,273 10,10' \
  "$work/splash_field.png" -geometry +7+7 -composite \
  -gravity center -font "$serif_bold_italic" -pointsize 40 \
  -fill '#2A0000' -annotate +2-8 'Quillon Amorix' \
  -fill '#A07010' -annotate +1-9 'Quillon Amorix' \
  -fill "$gold" -annotate +0-10 'Quillon Amorix' \
  "$work/form5.png"
save_jpeg "$work/form5.png" form5_splash.jpg

# ---------------------------------------------------------------------------------------------
# Form6, formation, 320 x 250: a dark red panel with a script heading and seven bulleted release
# facts; the close label "0" stands in a light well at 152..169 x 224..241.

convert -size 320x250 "xc:$dark_red" \
  -fill none -stroke "$gold" -strokewidth 1 -draw 'rectangle 4,4 315,245' \
  -stroke '#7A0000' -draw 'rectangle 6,6 313,243' \
  -stroke none -fill "$button_face" -stroke "$deep_red" -draw 'roundrectangle 148,221 173,244 4,4' \
  -stroke none -gravity north -font "$script_face" -pointsize 30 \
  -fill '#4A0000' -annotate +1+13 'Software Formation' \
  -fill "$gold" -annotate +0+12 'Software Formation' \
  -fill "$gold" -draw 'line 70,52 250,52' \
  -gravity northwest -fill white -font "$serif" -pointsize 15 \
  -annotate +28+72 "•  Creator: R. Quillon" \
  -annotate +28+93 "•  Released: 14 February 2006" \
  -annotate +28+114 "•  Publisher: Quillon Software" \
  -annotate +28+135 "•  Licence: free for personal use" \
  -annotate +28+156 "•  Given as it is, with no warranty" \
  -annotate +28+177 "•  Pass on only whole, unchanged copies" \
  -annotate +28+198 "•  Version: 6.00 (Nimbus)" \
  "$work/form6.png"
save_jpeg "$work/form6.png" form6_formation.jpg

# ---------------------------------------------------------------------------------------------
# Form8, terms, 428 x 259: four-line usage warning in black serif above the heading and link
# labels (which stand at 160..209).

framed_window "$work/form8_base.png" 428 259 31 237 'Terms' 405 2 427 27
convert "$work/form8_base.png" \
  -fill black -font "$serif" -pointsize 15 \
  -annotate +20+62 'Amorix is made for fun. Its score comes from the length of two' \
  -annotate +20+84 'names alone and says nothing about real feelings or the future.' \
  -annotate +20+106 'Do not base any decision on a result. The program is given as' \
  -annotate +20+128 'it is, without warranty of any kind; you use it at your own risk.' \
  -fill '#E0A0A0' -draw 'line 18,144 409,144' \
  "$work/form8.png"
save_jpeg "$work/form8.png" form8_terms.jpg

# ---------------------------------------------------------------------------------------------
# Program icon: a red heart carrying "Amorix" in white, 64 x 64, 256-colour palette.

heart='path "M 32,60 C 12,45 2,33 2,20 C 2,9 10,3 18,3 C 25,3 30,8 32,13 C 34,8 39,3 46,3 C 54,3 62,9 62,20 C 62,33 52,45 32,60 Z"'
convert -size 64x64 radial-gradient:'#FF6060-#B00000' \
  \( -size 64x64 xc:black -fill white -draw "$heart" \) \
  -alpha off -compose copy_opacity -composite -compose over \
  -fill none -stroke '#700000' -strokewidth 1.2 -draw "$heart" \
  -stroke none -font "$sans_bold" -pointsize 14 -gravity center \
  -fill '#600000' -annotate +1-2 'Amorix' -fill white -annotate +0-3 'Amorix' \
  -channel A -threshold 50% +channel \
  +dither -colors 256 -type PaletteMatte amorix.ico

# Terms window icon: three 32 x 32 images at 4, 1 and 4 bits per pixel: a page with lines and a
# red heart seal, the same page in black and white, and a page with a green check mark.
page=(-fill white -stroke black -strokewidth 1 -draw 'polygon 6,2 21,2 27,8 27,30 6,30'
  -fill '#C0C0C0' -draw 'polygon 21,2 21,8 27,8'
  -stroke '#808080' -draw 'line 10,12 23,12' -draw 'line 10,16 23,16' -draw 'line 10,20 18,20')
mono_page=(-fill white -stroke black -strokewidth 1 -draw 'polygon 6,2 21,2 27,8 27,30 6,30'
  -draw 'polyline 21,2 21,8 27,8'
  -draw 'line 10,12 23,12' -draw 'line 10,16 23,16' -draw 'line 10,20 18,20')
seal='path "M 22,29 C 18,26 16,24 16,22 C 16,20 18,19 19,19 C 20,19 21,20 22,21 C 23,20 24,19 25,19 C 26,19 28,20 28,22 C 28,24 26,26 22,29 Z"'

# ImageMagick's quantizer counts "transparent" as a colour of its own, so a black-and-white
# image with a transparent surround would come out with three colours and be stored at 8 bits.
# The monochrome image is therefore assembled as a two-colour palette image by hand: a MIFF
# header, the palette (black, white), then per pixel its palette index and its alpha.
convert +antialias -size 32x32 xc:none "${mono_page[@]}" -fill black -draw "$seal" \
  "$work/mono.png"
convert "$work/mono.png" -background white -alpha remove -colorspace gray -threshold 50% \
  -depth 8 -evaluate divide 255 -sample 200%x100% "$work/mono_index.png"
convert "$work/mono.png" -alpha extract -threshold 50% -sample 200%x100% "$work/mono_alpha.png"
odd_columns=()
for x in $(seq 1 2 63); do odd_columns+=(-draw "line $x,0 $x,31"); done
convert -size 64x32 xc:black -fill white "${odd_columns[@]}" "$work/odd_columns.png"
{
  printf 'id=ImageMagick\nclass=PseudoClass  colors=2  matte=True\n'
  printf 'columns=32  rows=32  depth=8\ncolorspace=sRGB\n\f\n:\032'
  printf '\000\000\000\377\377\377'
  convert "$work/mono_index.png" "$work/mono_alpha.png" "$work/odd_columns.png" -composite \
    -depth 8 gray:-
} >"$work/mono.miff"

convert \
  \( +antialias -size 32x32 xc:none "${page[@]}" -stroke '#800000' -fill '#FF0000' \
  -draw "$seal" +dither -colors 16 \) \
  "$work/mono.miff" \
  \( +antialias -size 32x32 xc:none "${page[@]}" -stroke '#008000' -strokewidth 3 -fill none \
  -draw 'polyline 13,23 17,27 25,17' +dither -colors 16 \) \
  terms.ico

identify amorix.ico terms.ico form*.jpg
