#!/usr/bin/env bash
# Renders every page of the screenshot gallery (tools/screenshot/gallery/*.qml) into build/screenshots/
# under a virtual X display with Mesa, so shadows and blur render as on a desktop. Look at the
# pictures after every visual change. Usage: scripts/screenshots.sh [NAME-FILTER]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRREL_BUILD_DIR:-$root/build}"
filter="${1:-}"

if [ -z "${MIRREL_SCREENSHOT_DISPLAY:-}" ]; then
  "$root/scripts/deps.sh"
  "$root/scripts/build.sh" >/dev/null
  export MIRREL_SCREENSHOT_DISPLAY=1
  exec xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$@"
fi

out="$build/screenshots"
mkdir -p "$out"
export XDG_CONFIG_HOME="$build/screenshots-config"
export MIRREL_SOURCE_DIR="$root"
export QT_QPA_PLATFORM=xcb
shopt -s nullglob
pages=("$root"/tools/screenshot/gallery/*"$filter"*.qml)
[ ${#pages[@]} -gt 0 ] || { echo "no gallery pages match '$filter'" >&2; exit 1; }
for page in "${pages[@]}"; do
  name="$(basename "$page" .qml)"
  # A page may give its window size in its first line: "// size: 390x844".
  size="$(sed -n '1s|^// size: *\([0-9]*x[0-9]*\).*|\1|p' "$page")"
  "$build/tools/mirrel-screenshot" "$page" "$out/$name.png" --size "${size:-390x844}" isUITest
  echo "$out/$name.png"
done
