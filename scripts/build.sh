#!/usr/bin/env bash
# Configures and builds one build folder: build.sh <folder> [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."

folder="$1"
shift
launcher=()
# A compiler cache, where one is installed, makes rebuilds of a second folder cheap.
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$folder" -G Ninja "${launcher[@]}" "$@"
cmake --build "$folder"
