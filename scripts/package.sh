#!/usr/bin/env bash
# Builds the Debian package of every program: build/halden_<version>_amd64.deb.
#   scripts/package.sh            release build in build/package, then CPack
# Install it with: apt-get install ./build/halden_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
cmake --preset package >/dev/null
cmake --build --preset package
rm -f build/halden_*_amd64.deb
(cd build/package && cpack -G DEB)
ls build/halden_*_amd64.deb
