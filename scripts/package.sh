#!/bin/sh
# Builds the program and makes the Debian package from it:
#   package.sh [BUILD-DIR]     (default: build)
# writes BUILD-DIR/pelmora_<version>_<arch>.deb and prints its path.
# Install it with:  apt install ./build/pelmora_*.deb
set -eu
cd "$(dirname "$0")/.."
dir=${1:-build}
cmake -S . -B "$dir"
cmake --build "$dir" -j "$(nproc)" --target pelmora
(cd "$dir" && cpack -G DEB)
ls "$dir"/pelmora_*.deb
