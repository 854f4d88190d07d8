#!/bin/sh
# Installs what is missing, builds Pelmora and starts it. Scripts are kept in
# the "script" folder of the working directory, created here if missing.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
sh scripts/build.sh build
mkdir -p script
exec ./build/pelmora
