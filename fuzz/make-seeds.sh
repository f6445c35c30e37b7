#!/bin/sh
# Writes the seed corpora into fuzz/corpus/<target>/ (run from anywhere; needs ImageMagick).
# The seeds are small on purpose: libFuzzer mutates them, and large files only slow it down.
set -e
here=$(cd "$(dirname "$0")" && pwd)
decoder="$here/corpus/DecoderFuzzer"
detector="$here/corpus/DetectorFuzzer"
tool="$here/corpus/ToolFuzzer"
mkdir -p "$decoder" "$detector" "$tool"

# Decoder: a rounded card on a table in each format and flavour the loader meets.
card="roundrectangle 12,10 46,31 3,3"
scene() { convert -size 64x48 xc:'#5a5f64' -fill '#e6e4dc' -draw "$card" "$@"; }
scene -quality 80 "$decoder/card.jpg"
scene -interlace JPEG -quality 60 "$decoder/progressive.jpg"
scene -orient RightTop -quality 70 "$decoder/exif-rotated.jpg"
scene -colorspace Gray -quality 70 "$decoder/grey.jpg"
scene -sampling-factor 1x1 -quality 90 "$decoder/444.jpg"
scene "$decoder/card.png"
scene -colorspace Gray "$decoder/grey.png"
scene -depth 16 "$decoder/deep.png"
scene -colors 8 "PNG8:$decoder/palette.png"
scene -interlace PNG "$decoder/interlaced.png"
convert -size 64x48 xc:none -fill '#2050a0' -draw "$card" "$decoder/alpha.png"
scene "$decoder/card.bmp"
scene "$decoder/card.gif"
scene "$decoder/card.ppm"
# Shapes the structure walk must handle: data after the end marker, a cut-off scan.
{ cat "$decoder/card.jpg"; printf 'trailing\377\330'; } > "$decoder/trailing.jpg"
head -c 400 "$decoder/card.jpg" > "$decoder/cut.jpg"
# A chunk after the header that claims 256 MB: refused before the decoder reserves it.
{ head -c 33 "$decoder/card.png"; printf '\020\000\000\000tEXtdate:modify'; tail -c +34 "$decoder/card.png"; } \
    > "$decoder/long-chunk.png"

# Detector: "RAW", width and height (little-endian 16 bits), a format byte, then pixels.
{ printf 'RAW\100\000\060\000\000'; head -c 2048 /dev/urandom; } > "$detector/raw-noise.bin"
{ printf 'RAW\040\000\030\000\002'; head -c 768 /dev/zero | tr '\0' '\200'; } > "$detector/raw-grey.bin"
# Scenes: width, height, background RGB, antialiasing, card RGB, four corners (x, y in
# thousandths of the picture, 16 bits each), line count, each line's RGB, width and ends,
# noise amplitude, format byte, noise bytes.
corners() { printf "$1"; }
printf '\040\001\360\000\132\137\144\001\346\344\334' > "$detector/scene-card.bin"
corners '\310\000\226\000\276\002\252\000\260\002\324\002\274\000\300\002' >> "$detector/scene-card.bin"
printf '\000\000\000' >> "$detector/scene-card.bin"
printf '\100\001\000\001\060\040\020\001\040\050\060' > "$detector/scene-dark.bin"
corners '\144\000\144\000\124\003\310\000\040\003\040\003\226\000\364\001' >> "$detector/scene-dark.bin"
printf '\002\377\377\377\003\012\000\012\000\200\000\200\000\000\000\000\010\050\000\024\000\170\000\012\000\030\000' >> "$detector/scene-dark.bin"
head -c 512 /dev/urandom >> "$detector/scene-dark.bin"
printf '\340\001\140\001\300\300\270\000\372\372\372' > "$detector/scene-pale.bin"
corners '\000\000\000\000\350\003\000\000\350\003\350\003\000\000\350\003' >> "$detector/scene-pale.bin"
printf '\000\004\002' >> "$detector/scene-pale.bin"

# Tool: the argument list, NUL between arguments.
args() { name=$1; shift; printf '%s\0' "$@" | head -c -1 > "$tool/$name"; }
args measure-card measure --card 100,200,400,210,420,400,90,380 --segment 100,200,400,210 \
    --segment 400,210,420,400 --units metric
args measure-imperial measure --card=0,0,100,0,100,200,0,200 --segment=100,0,100,200 --units=imperial
args measure-image measure card.png --segment 60,50,230,60
args measure-plain measure plain.png --segment 1,2,3,4
args bow-tie measure --card 0,0,86,54,86,0,0,54 --segment 0,0,86,0
args horizon measure --card 100,200,400,210,420,400,90,380 --segment 100,-3000,100,-5000
args far measure --card 0,0,10,0,10,6,0,6 --segment 1e308,1e308,0,0
args detect detect card.png
args detect-missing detect missing.jpg
args help measure --help
args version --version
args unknown measure --frob -x -- card.png
