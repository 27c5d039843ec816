#!/usr/bin/env bash
# Draws the bundled toolbar icons (used when the desktop's icon theme has no icon of that
# name). Run again after changing a drawing; needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
page=(-fill white -stroke '#505050' -strokewidth 1.5 -draw 'polygon 6,2 20,2 26,8 26,30 6,30'
      -fill '#d8d8d8' -draw 'polygon 20,2 20,8 26,8')
draw() { local out=$1; shift; convert -size 32x32 xc:none "$@" "$out"; }

draw new.png "${page[@]}" -stroke none -fill '#2e9b2e' -draw 'rectangle 15,19 29,23' \
  -draw 'rectangle 20,14 24,28'
draw edit.png "${page[@]}" -stroke '#505050' -strokewidth 1 -fill '#f2c230' \
  -draw 'polygon 12,26 28,10 31,13 15,29 11,30' -fill '#303030' -draw 'polygon 11,30 12,27 14,29'
draw print.png -stroke '#404040' -strokewidth 1.5 -fill white -draw 'rectangle 9,3 23,13' \
  -fill '#8a8a8a' -draw 'roundrectangle 3,12 29,24 3,3' -fill white -draw 'rectangle 9,20 23,30' \
  -stroke '#909090' -strokewidth 1 -draw 'line 12,24 20,24' -draw 'line 12,27 20,27'
draw cut.png -stroke '#3a3a3a' -strokewidth 2.5 -draw 'line 10,3 21,21' -draw 'line 22,3 11,21' \
  -fill none -stroke '#c03030' -strokewidth 2.5 -draw 'circle 9,25 9,20' -draw 'circle 23,25 23,20'
draw copy.png -fill white -stroke '#505050' -strokewidth 1.5 -draw 'rectangle 4,3 19,22' \
  -fill '#e8f0ff' -stroke '#2a5caa' -draw 'rectangle 12,10 27,29'
draw paste.png -fill '#b07a3a' -stroke '#5a3a10' -strokewidth 1.5 -draw 'roundrectangle 5,5 25,30 2,2' \
  -fill '#d0d0d0' -stroke '#505050' -draw 'rectangle 10,2 20,8' \
  -fill white -stroke '#505050' -draw 'rectangle 12,11 29,30'
draw undo.png -fill none -stroke '#2a5caa' -strokewidth 3.5 -draw 'arc 7,8 27,28 180,450' \
  -stroke none -fill '#2a5caa' -draw 'polygon 1,17 13,17 7,9'
draw export.png -fill white -stroke '#1e7a3a' -strokewidth 1.5 -draw 'rectangle 3,4 29,28' \
  -fill '#1e7a3a' -draw 'rectangle 3,4 29,10' -strokewidth 1 \
  -draw 'line 3,16 29,16' -draw 'line 3,22 29,22' -draw 'line 12,4 12,28' -draw 'line 20,4 20,28'
draw cancel.png -fill '#d03030' -stroke '#901818' -strokewidth 1.5 -draw 'circle 16,16 16,2' \
  -stroke white -strokewidth 3.5 -draw 'line 10,10 22,22' -draw 'line 22,10 10,22'
draw ok.png -fill '#2e9b2e' -stroke '#1b6a1b' -strokewidth 1.5 -draw 'circle 16,16 16,2' \
  -fill none -stroke white -strokewidth 3.5 -draw 'polyline 9,16 14,22 24,10'
draw phone.png -fill '#3a3a3a' -stroke none -draw 'roundrectangle 6,2 26,30 4,4' \
  -fill '#9fd0ff' -draw 'rectangle 9,5 23,11' -fill white \
  -draw 'rectangle 9,14 12,16' -draw 'rectangle 15,14 18,16' -draw 'rectangle 21,14 23,16' \
  -draw 'rectangle 9,19 12,21' -draw 'rectangle 15,19 18,21' -draw 'rectangle 21,19 23,21' \
  -draw 'rectangle 9,24 12,26' -draw 'rectangle 15,24 18,26' -draw 'rectangle 21,24 23,26'
draw company.png -fill '#8c9bb0' -stroke '#3c4a60' -strokewidth 1.5 -draw 'rectangle 5,4 21,30' \
  -fill '#b8c4d4' -draw 'rectangle 21,13 28,30' -stroke none -fill '#fff6b0' \
  -draw 'rectangle 8,7 11,10' -draw 'rectangle 15,7 18,10' \
  -draw 'rectangle 8,13 11,16' -draw 'rectangle 15,13 18,16' \
  -draw 'rectangle 8,19 11,22' -draw 'rectangle 15,19 18,22' -fill '#3c4a60' -draw 'rectangle 11,25 15,30'
draw expand.png -stroke '#707070' -strokewidth 1 -draw 'line 8,8 8,26' -draw 'line 8,16 16,16' \
  -draw 'line 8,26 16,26' -fill white -stroke '#404040' -strokewidth 1.5 -draw 'rectangle 2,2 14,14' \
  -fill '#e8f0ff' -stroke '#2a5caa' -draw 'rectangle 16,12 29,20' -draw 'rectangle 16,22 29,30' \
  -stroke '#404040' -strokewidth 2 -draw 'line 5,8 11,8' -draw 'line 8,5 8,11'
draw delete.png -fill '#c8c8c8' -stroke '#404040' -strokewidth 1.5 -draw 'polygon 8,9 24,9 22,30 10,30' \
  -fill '#909090' -draw 'rectangle 5,5 27,9' -draw 'rectangle 13,2 19,5' \
  -stroke '#606060' -strokewidth 1.2 -draw 'line 13,13 13,26' -draw 'line 16,13 16,26' -draw 'line 19,13 19,26'
