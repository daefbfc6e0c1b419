#!/usr/bin/env bash
# Configures and builds into build/: the targets given as arguments, or
# everything (programs, tests, benchmarks) without any.
#   bash scripts/build.sh [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
if [ $# -gt 0 ]; then
    cmake --build build -j"$(nproc)" --target "$@"
else
    cmake --build build -j"$(nproc)"
fi
