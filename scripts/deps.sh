#!/usr/bin/env bash
# Installs the Debian packages Mirrel needs to build, test and run (as root or through sudo).
# Skips the work when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-declarative-dev qt6-multimedia-dev qt6-5compat-dev qt6-svg-dev
  qt6-tools-dev qt6-l10n-tools qt6-qpa-plugins qt6-image-formats-plugins
  qml6-module-qtqml qml6-module-qtqml-workerscript qml6-module-qtqml-models qml6-module-qtcore
  qml6-module-qtquick qml6-module-qtquick-window qml6-module-qtquick-shapes
  qml6-module-qtquick-controls qml6-module-qtquick-templates qml6-module-qtquick-layouts
  qml6-module-qtquick-dialogs qml6-module-qt-labs-folderlistmodel
  qml6-module-qt5compat-graphicaleffects qml6-module-qtmultimedia qml6-module-qttest
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  libopencv-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth libgl1 libglx-mesa0 libgl1-mesa-dri fonts-dejavu-core imagemagick
  # glibc's locale sources: the tests make a decimal-comma locale from them where none is
  # installed, to check that lengths never follow LC_NUMERIC
  locales
  # the Debian package and its checks
  dpkg-dev file desktop-file-utils appstream lintian man-db
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing ${#missing[@]} missing packages: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
