#!/usr/bin/env bash
# Installs what is missing, builds, and runs Mirrel.
#   With a display: the app, on the camera, or on the bundled sample photo when there is no
#   camera (arguments go to the app, e.g. a photo of your own).
#   Without a display: measures the object in the bundled sample photo, draws the measurement
#   into a PNG as the app would export it, and prints the lengths. Given a photo of your own
#   (scripts/run.sh PHOTO [options of mirrel-measure annotate]), finds the card in it and draws
#   it; --segment x1,y1,x2,y2 measures a length there too. Other arguments go to annotate.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRREL_BUILD_DIR:-$root/build}"

"$root/scripts/deps.sh"
"$root/scripts/build.sh"

photo="$root/resources/test.jpg"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    if [ $# -eq 0 ] && ! compgen -G "/dev/video*" >/dev/null; then
        echo "No camera found: showing the sample photo $photo" >&2
        set -- "$photo"
    fi
    exec "$build/app/mirrel" "$@"
fi

out="${MIRREL_OUTPUT:-$build/measured.png}"
if [ $# -gt 0 ] && [[ "$1" != -* ]]; then
    photo="$1"
    shift
    echo "No display: finding the card in $photo" >&2
    status=0
    "$build/cli/mirrel-measure" annotate "$photo" -o "$out" "$@" || status=$?
    case $status in
    0) echo "The measured picture is $out" >&2 ;;
    3) echo "No card was found in $photo: lay the card flat and whole in the picture." >&2 ;;
    esac
    exit $status
fi
echo "No display: measuring the pencil in the sample photo $photo" >&2
json="$("$build/cli/mirrel-measure" annotate "$photo" -o "$out" \
    --segment 1984,3016,1957,1199 --units metric "$@")"
echo "$json"
lengths="$(grep -o '"text":"[^"]*"' <<<"$json" | sed 's/"text":"\(.*\)"/\1/' | paste -sd, -)"
echo "The pencil is $lengths long (true length 187.3 mm)." >&2
echo "The measured picture is $out" >&2
