#!/usr/bin/env bash
# Installs what the build needs, builds, and starts Tidewright beside the host stand-in on the
# bundled sample instrument. Arguments go to consolia-sim (for example: ./run.sh --composer fm).
set -euo pipefail
cd "$(dirname "$0")"
source ./tools/deps.sh
install_deps
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j"$(nproc)" --target tidewright consolia-sim
exec build/tools/consolia-sim --tidewright build/tidewright "$@"
