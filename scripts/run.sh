#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job: measuring the object in the bundled
# sample photo against the card found in it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRREL_BUILD_DIR:-$root/build}"

"$root/scripts/deps.sh"
"$root/scripts/build.sh"

photo="$root/resources/test.jpg"
echo "Measuring the object in $photo (its ends at (1984, 3016) and (1957, 1199)):" >&2
exec "$build/cli/mirrel-measure" measure "$photo" --segment 1984,3016,1957,1199 "$@"
