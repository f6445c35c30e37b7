#!/usr/bin/env bash
# Builds the Debian package and checks it the way a user would meet it: lintian finds no errors,
# it installs with apt-get, both programs run from the installed paths (the command-line tool on
# the installed sample photo), the desktop entry and the AppStream metadata validate, and it
# removes cleanly. Needs root or sudo; changes the machine's installed packages.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRREL_BUILD_DIR:-$root/build}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

deb="$("$root/scripts/package.sh" | tail -1)"
echo "== lintian $deb"
# Errors fail the check; warnings are printed for the record.
lintian --fail-on error "$deb"

echo "== install"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
trap '$sudo apt-get remove -y -qq mirrel >/dev/null 2>&1 || true' EXIT

echo "== run from the installed paths"
[ "$(command -v mirrel)" = /usr/bin/mirrel ]
[ "$(command -v mirrel-measure)" = /usr/bin/mirrel-measure ]
mirrel --version
mirrel-measure --version
out="$(env -u DISPLAY -u WAYLAND_DISPLAY mirrel-measure detect /usr/share/mirrel/sample.jpg)"
echo "$out"
case "$out" in *'"card":[['*) ;; *) echo "no card found in the installed sample photo" >&2; exit 1 ;; esac
man -w mirrel >/dev/null && man -w mirrel-measure >/dev/null

echo "== desktop entry and metadata"
desktop-file-validate /usr/share/applications/app.mirrel.Mirrel.desktop
appstreamcli validate --no-net /usr/share/metainfo/app.mirrel.Mirrel.metainfo.xml
[ -f /usr/share/icons/hicolor/scalable/apps/app.mirrel.Mirrel.svg ]
[ -f /usr/share/icons/hicolor/256x256/apps/app.mirrel.Mirrel.png ]

echo "== remove"
trap - EXIT
$sudo apt-get remove -y -qq mirrel >/dev/null
for f in /usr/bin/mirrel /usr/bin/mirrel-measure /usr/share/applications/app.mirrel.Mirrel.desktop \
         /usr/share/mirrel; do
  if [ -e "$f" ]; then echo "left behind after removal: $f" >&2; exit 1; fi
done
echo "package check passed"
