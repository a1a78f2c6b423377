#!/usr/bin/env bash
# Builds everything and runs every test: the full build, then every test
# again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)
cmake -S . -B build -G Ninja
cmake --build build -j "$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")
cmake -S . -B build-asan -G Ninja -DZEM_SANITIZE=ON -DZEM_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
cmake --build build-asan -j "$jobs"
(cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs")
