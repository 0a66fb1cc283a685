#!/usr/bin/env bash
# Installs what the build needs, builds everything and runs all tests.
#   ./test.sh                 build and run the whole suite
#   ./test.sh --sanitize      the same with AddressSanitizer and UndefinedBehaviorSanitizer
#   ./test.sh --sanitize-core the sanitizer build without the GUI: core, tools and their tests
#   ./test.sh --coverage      the whole suite on an instrumented build, then the line and branch
#                             coverage of src/, tools/ and python/ (gcovr)
#   ./test.sh --fuzz SECONDS [TARGET...]
#                             build the libFuzzer targets with clang and run each (or those named,
#                             as MatFuzz) that long
set -euo pipefail
cd "$(dirname "$0")"
source ./tools/deps.sh
install_deps "${TW_PACKAGING_PACKAGES[@]}" # CI's tools/check-package.sh needs them
# CI builds with warnings as errors (TW_WERROR=1).
werror=()
[[ -n "${TW_WERROR:-}" ]] && werror=(-DTW_WERROR=ON)

if [[ "${1:-}" == "--fuzz" ]]; then
    seconds="${2:-60}"
    shift $(($# < 2 ? $# : 2))
    cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_FUZZ=ON -DTW_GUI=OFF \
        -DTW_BENCH=OFF -DCMAKE_CXX_COMPILER=clang++-14 "${werror[@]}" > /dev/null
    cmake --build build-fuzz -j"$(nproc)"
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
    # HDF5 faults on crafted MATLAB 7.3 files within seconds, and the fuzz build reads in its own
    # process: that target goes on past a library's fault (fork mode), and each input that stopped
    # a run is replayed through the shipped reader's child (the normal build's replay): only an
    # input the program itself fails on is a finding.
    contained=(MatFuzz)
    failed=()
    for src in tests/fuzz/*Fuzz.cpp; do
        target=$(basename "$src" .cpp)
        [[ $# -eq 0 || " $* " == *" $target "* ]] || continue
        corpus=$(echo "${target%Fuzz}" | tr '[:upper:]' '[:lower:]')
        # New inputs go to a work corpus; the checked-in seeds stay as they are.
        work=build-fuzz/corpus/$corpus artifacts=build-fuzz/artifacts/$corpus/
        mkdir -p "$work" "$artifacts"
        dict=()
        [[ -f tests/fuzz/$corpus.dict ]] && dict=(-dict="tests/fuzz/$corpus.dict")
        going=()
        [[ " ${contained[*]} " == *" $target "* ]] &&
            going=(-fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1)
        echo "== $target: $seconds s over tests/fuzz/$corpus"
        if ! "build-fuzz/tests/fuzz/$target" "${dict[@]}" "${going[@]}" \
            -max_total_time="$seconds" -timeout=10 \
            -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
            -artifact_prefix="$artifacts" "$work" "tests/fuzz/$corpus" \
            > "build-fuzz/$target.log" 2>&1; then
            # A contained target ends non-zero after any library stop; its inputs decide below.
            if [[ ${#going[@]} -eq 0 ]] || ! grep -q "^INFO: exiting" "build-fuzz/$target.log"; then
                failed+=("$target")
                tail -n 40 "build-fuzz/$target.log"
            fi
        fi
        grep -E "^stat::number_of_executed_units|^#[0-9]+.*DONE" "build-fuzz/$target.log" || true
        if [[ ${#going[@]} -gt 0 ]]; then
            grep -E "^#[0-9]+: cov" "build-fuzz/$target.log" | tail -n 1 || true
            for input in "$artifacts"*; do
                [[ -f $input ]] || continue
                if [[ ! -x build/tests/fuzz/$target ]] ||
                    ! TIDEWRIGHT_READER_SECONDS=3 "build/tests/fuzz/$target" "$input" > /dev/null 2>&1; then
                    failed+=("$target:$input")
                fi
            done
        fi
    done
    if [[ ${#failed[@]} -gt 0 ]]; then
        echo "findings in: ${failed[*]} (inputs under build-fuzz/artifacts/)"
        exit 1
    fi
    echo "no findings"
    exit 0
fi

build_dir=build
cmake_args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTW_PYTHON=ON)
case "${1:-}" in
--sanitize)
    build_dir=build-asan
    cmake_args=(-DCMAKE_BUILD_TYPE=Debug -DTW_SANITIZE=ON -DTW_BENCH=OFF)
    ;;
--sanitize-core)
    build_dir=build-asan-core
    cmake_args=(-DCMAKE_BUILD_TYPE=Debug -DTW_SANITIZE=ON -DTW_BENCH=OFF -DTW_GUI=OFF)
    ;;
--coverage)
    install_deps gcovr
    build_dir=build-coverage
    # Without ccache: its base_dir rewrites paths relative, and gcovr then cannot find the sources.
    cmake_args=(-DCMAKE_BUILD_TYPE=Debug -DTW_COVERAGE=ON -DTW_BENCH=OFF -DTW_PYTHON=ON
        -DCMAKE_CXX_COMPILER_LAUNCHER= -DCMAKE_C_COMPILER_LAUNCHER=)
    find "$build_dir" -name '*.gcda' -delete 2> /dev/null || true
    ;;
esac
cmake_args+=("${werror[@]}")
cmake -S . -B "$build_dir" "${cmake_args[@]}" > /dev/null
cmake --build "$build_dir" -j"$(nproc)"
# Leaks inside system libraries (fontconfig) are not ours to fix.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
status=0
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)" --timeout 600 || status=$?
if [[ "${1:-}" == "--coverage" ]]; then
    # The figure stands even when a test failed (a slow instrumented build misses a deadline);
    # the exit status still says so.
    # Branches only exceptions take and those the compiler adds for itself would drown the
    # figure the code's own decisions give. One process: gcovr 5.2's parallel mode hung here.
    gcovr --root . --object-directory "$build_dir" \
        --filter 'src/' --filter 'tools/' --filter 'python/' \
        --exclude-throw-branches --exclude-unreachable-branches \
        --txt "$build_dir/coverage.txt" --print-summary
fi
exit "$status"
