#!/usr/bin/env bash
# Fails, listing them, when C++ files differ from what clang-format (.clang-format) makes of them.
set -euo pipefail
cd "$(dirname "$0")/.."
faulty=()
while IFS= read -r f; do
    clang-format --dry-run --Werror "$f" > /dev/null 2>&1 || faulty+=("$f")
done < <(git ls-files '*.h' '*.cpp')
if [[ ${#faulty[@]} -gt 0 ]]; then
    printf 'not clang-formatted (run clang-format -i on them):\n' >&2
    printf '  %s\n' "${faulty[@]}" >&2
    exit 1
fi
echo "all C++ files are clang-formatted"
