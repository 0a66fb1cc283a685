#!/usr/bin/env bash
# Runs the suite of a build folder (ctest arguments after it). Window-manager tests (.At1024x700,
# .At200Percent) hang on openbox's timing, which now and then leaves a window unframed: when only
# they failed, they run once more and decide; any other failure fails the run at once.
set -uo pipefail
build_dir=$1
shift
ctest --test-dir "$build_dir" --output-on-failure "$@" && exit 0
failed_log=$build_dir/Testing/Temporary/LastTestsFailed.log
[[ -s $failed_log ]] || exit 1
if cut -d: -f2- "$failed_log" | grep -qvE '\.At(1024x700|200Percent)$'; then
    exit 1
fi
echo "only window-manager tests failed; running them once more:"
cut -d: -f2- "$failed_log"
ctest --test-dir "$build_dir" --output-on-failure --rerun-failed "$@"
