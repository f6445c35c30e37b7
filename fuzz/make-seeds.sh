#!/bin/sh
# Writes a small seed corpus for DetectorFuzzer into $1: JPEG and PNG pictures of a
# rounded card on a table, grey, with alpha, EXIF-rotated, and a raw picture.
set -e
out=${1:-fuzz-corpus}
mkdir -p "$out"
card="roundrectangle 60,50 230,157 8,8"
convert -size 320x240 xc:'#5a5f64' -fill '#e6e4dc' -draw "$card" -quality 85 "$out/card.jpg"
convert -size 320x240 xc:'#5a5f64' -fill '#e6e4dc' -draw "$card" "$out/card.png"
convert -size 320x240 xc:'#303030' -fill '#101010' -draw "$card" -colorspace Gray "$out/grey.png"
convert -size 320x240 xc:none -fill '#2050a0' -draw "$card" "$out/alpha.png"
convert -size 160x120 xc:'#a07040' -fill white -draw "roundrectangle 30,25 115,78 4,4" \
    -orient RightTop -quality 70 "$out/exif-rotated.jpg"
convert -size 64x48 xc:gray -depth 16 "$out/deep.png"
printf 'RAW\100\000\060\000\002' > "$out/raw.bin"
head -c 3072 /dev/urandom >> "$out/raw.bin"
