#!/usr/bin/env bash
# Installs what the build needs, builds everything and runs all tests.
#   ./test.sh                 build and run the whole suite
#   ./test.sh --sanitize      the same with AddressSanitizer and UndefinedBehaviorSanitizer
set -euo pipefail
cd "$(dirname "$0")"
source ./tools/deps.sh
install_deps

build_dir=build
cmake_args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [[ "${1:-}" == "--sanitize" ]]; then
    build_dir=build-asan
    cmake_args=(-DCMAKE_BUILD_TYPE=Debug -DTW_SANITIZE=ON -DTW_BENCH=OFF)
fi
cmake -S . -B "$build_dir" "${cmake_args[@]}" > /dev/null
cmake --build "$build_dir" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen TIDEWRIGHT_NONINTERACTIVE=1
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)" --timeout 600
