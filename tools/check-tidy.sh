#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy's checks) over the program's, the tools' and the Python module's
# C++ files, as built in BUILD_DIR (default build); fails listing the findings. With --changed REV,
# only the files changed since REV.
#   tools/check-tidy.sh [BUILD_DIR] [--changed REV]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
[[ $# -gt 0 && $1 != --* ]] && build=$1 && shift
files=()
if [[ "${1:-}" == "--changed" ]]; then
    mapfile -t files < <(git diff --name-only --diff-filter=d "$2" -- 'src/*.cpp' 'tools/*.cpp' 'python/*.cpp')
    if [[ ${#files[@]} -eq 0 ]]; then
        echo "no C++ file changed since $2"
        exit 0
    fi
fi
# The build's compile commands without GCC's own flags, which clang does not know.
tidy=$build/tidy
mkdir -p "$tidy"
python3 - "$build/compile_commands.json" "$tidy/compile_commands.json" <<'PY'
import json, sys
gcc_only = {"-fvect-cost-model=dynamic"}
commands = json.load(open(sys.argv[1]))
for c in commands:
    c["command"] = " ".join(a for a in c["command"].split(" ") if a not in gcc_only)
json.dump(commands, open(sys.argv[2], "w"), indent=1)
PY
# First-party sources only: generated files (moc, autogen) live in the build tree.
pattern="$PWD/(src|tools|python)/.*\\.cpp\$"
if [[ ${#files[@]} -gt 0 ]]; then
    pattern="$PWD/($(IFS='|'; echo "${files[*]}" | sed 's/\./\\./g'))\$"
fi
log=$tidy/findings.txt
if run-clang-tidy-14 -p "$tidy" -quiet -j "$(nproc)" "$pattern" > "$log" 2>&1; then
    echo "clang-tidy: no findings"
    exit 0
fi
# clang-tidy 14 colours its findings whatever the output: the escapes are taken out.
sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E "(warning|error): " | sort -u >&2 || tail -n 20 "$log" >&2
echo "clang-tidy found the faults above (full output in $log)" >&2
exit 1
