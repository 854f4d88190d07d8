#!/bin/sh
# Installs what is missing, builds Pelmora twice (plain, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test of both.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
sh scripts/build.sh build
ctest --test-dir build --output-on-failure
sh scripts/build.sh build-asan -DPELMORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir build-asan --output-on-failure
