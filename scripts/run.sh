#!/bin/sh
# Installs what is missing, builds the program (only the program: the tests
# and benchmarks are left to scripts/test.sh) and starts it. Scripts are kept
# in the "script" folder of the working directory, created here if missing.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
cmake -S . -B build
cmake --build build -j "$(nproc)" --target pelmora
mkdir -p script
exec ./build/pelmora
