#!/bin/sh
# Installs what is missing, builds Pelmora twice (plain, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test of both,
# then builds the fuzz harnesses with clang, replays their corpora and runs
# each fuzzer for a minute.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
sh scripts/build.sh build
ctest --test-dir build --output-on-failure
sh scripts/build.sh build-asan -DPELMORA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir build-asan --output-on-failure
sh scripts/build.sh build-fuzz -DPELMORA_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++-14
ctest --test-dir build-fuzz --output-on-failure
