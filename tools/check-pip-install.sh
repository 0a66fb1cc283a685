#!/usr/bin/env bash
# The Python package as pip installs it, offline with Debian's build tools: a fresh venv that sees
# the system's packages (setuptools, wheel, numpy), `pip install --no-build-isolation .` into it,
# the import from elsewhere, and `pip wheel .` the same way.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 -m venv --system-site-packages "$work/venv"
export PIP_NO_INDEX=1 PIP_DISABLE_PIP_VERSION_CHECK=1
"$work/venv/bin/pip" install --no-build-isolation . > "$work/install.log" 2>&1 ||
    { tail -n 40 "$work/install.log"; exit 1; }
(cd "$work" && "$work/venv/bin/python" -c "import tidewright; print('pip install:', tidewright.__file__)")
"$work/venv/bin/pip" wheel --no-build-isolation --no-deps -w "$work/wheels" . > "$work/wheel.log" 2>&1 ||
    { tail -n 40 "$work/wheel.log"; exit 1; }
wheel=$(ls "$work"/wheels/tidewright-*.whl)
# The listing is read whole first: grep -q leaving early would break the listing's pipe.
listing=$(/usr/bin/python3 -m zipfile -l "$wheel")
grep -q "tidewright/py.typed" <<< "$listing"
echo "pip wheel: $(basename "$wheel")"
