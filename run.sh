#!/usr/bin/env bash
# Installs what the build needs, builds, and starts Tidewright Host with the simulated instrument
# and the waveform composer beside it. Arguments go to tidewright-host (for example:
# ./run.sh --composer fm, ./run.sh --composer pulse).
set -euo pipefail
cd "$(dirname "$0")"
source ./tools/deps.sh
install_deps
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j"$(nproc)" --target tidewright tidewright-host tidewright-awg-sim
exec build/tools/tidewright-host --simulated --composer standard "$@"
