#!/bin/sh
# Draws the product logo (176 x 52) from our own shapes and text: a mosaic
# of four tiles (the four corners of a board) and the name beside it. The
# writer stores rows top first while marking them bottom first, so the
# picture is flipped before it is written.
set -eu
out=${1:-TessaronLogo.tga}
font=${2:-/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf}
convert -size 176x52 xc:'#0b1f3a' \
    -fill '#13345f' -draw 'roundrectangle 1,1 174,50 8,8' \
    -fill '#f5b700' -draw 'roundrectangle 8,8 25,25 3,3' \
    -fill '#ffffff' -draw 'roundrectangle 28,8 45,25 3,3' \
    -fill '#ffffff' -draw 'roundrectangle 8,28 25,45 3,3' \
    -fill '#2fb3ff' -draw 'roundrectangle 28,28 45,45 3,3' \
    -font "$font" -pointsize 19 -fill '#ffffff' -annotate +53+33 'TESSARON' \
    -fill '#f5b700' -draw 'rectangle 54,38 168,40' \
    -flip -type TrueColor -depth 8 -compress None "TGA:$out"
