#!/usr/bin/env bash
# Builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DZEM_BENCH=OFF
cmake --build build --target zemcad
exec build/bin/zemcad "$@"
