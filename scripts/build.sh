#!/bin/sh
# Configures and builds one build tree: build.sh DIR [extra cmake options].
set -eu
dir="$1"
shift
cmake -S . -B "$dir" "$@"
cmake --build "$dir" -j "$(nproc)"
