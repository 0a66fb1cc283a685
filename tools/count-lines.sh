#!/usr/bin/env bash
# Test lines over code lines, blank lines left out: the program (src/), its tools and the Python
# module against tests/ (C++, CMake and Python; the test data and fuzz seeds are not code).
set -euo pipefail
cd "$(dirname "$0")/.."
count() { git ls-files "$@" | grep -E '\.(cpp|h|py|cmake|sh|in)$|CMakeLists\.txt$' |
    grep -v '^tests/data/' | xargs cat | grep -cv '^[[:space:]]*$'; }
code=$(count src tools python)
tests=$(count tests)
echo "code $code, tests $tests, tests/code $(awk "BEGIN { printf \"%.2f\", $tests / $code }")"
