#!/bin/sh
# Redraws the bar's pictures (ImageMagick); the PNGs are kept in the repository.
set -e
cd "$(dirname "$0")"
# Ready indicator: a green pill with "OK".
convert -size 83x15 xc:none -fill 'rgb(0,128,0)' -draw 'roundrectangle 0,0 82,14 7,7' \
    -fill white -draw 'roundrectangle 3,3 79,11 4,4' -fill 'rgb(0,128,0)' \
    -draw 'rectangle 37,5 45,9' PNG32:ready.png
# Close: a red cross.
convert -size 16x16 xc:none -stroke 'rgb(200,0,0)' -strokewidth 3 \
    -draw 'line 3,3 12,12' -draw 'line 12,3 3,12' PNG32:close.png
# Minimise: a bar along the bottom.
convert -size 16x16 xc:none -fill 'rgb(0,90,0)' -draw 'rectangle 2,10 13,13' PNG32:minimise.png
# Scroll arrows.
convert -size 16x16 xc:none -fill 'rgb(0,90,0)' -draw 'polygon 8,2 14,12 2,12' PNG32:up.png
convert -size 16x16 xc:none -fill 'rgb(0,90,0)' -draw 'polygon 2,3 14,3 8,13' PNG32:down.png
# Cursor_1: an arrow whose tip is the top-left hot spot.
convert -size 32x32 xc:none -fill black -stroke white -strokewidth 1 \
    -draw 'polygon 0,0 0,20 5,15 9,24 12,23 8,14 15,14' PNG32:cursor1.png
