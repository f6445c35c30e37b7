#!/usr/bin/env bash
# Builds the Debian package: build/mirrel_<version>_amd64.deb (or in $MIRREL_BUILD_DIR).
# Install it with: sudo apt-get install ./build/mirrel_*.deb
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${MIRREL_BUILD_DIR:-$root/build}"

"$root/scripts/deps.sh"
# The release is dated by its commit, so the same commit makes the same package.
if git -C "$root" rev-parse HEAD >/dev/null 2>&1; then
  export SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct)"
fi
"$root/scripts/build.sh" -DCMAKE_INSTALL_PREFIX=/usr
rm -f "$build"/mirrel_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/mirrel_*.deb
