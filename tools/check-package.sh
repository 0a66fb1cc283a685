#!/usr/bin/env bash
# Installs a finished build into a temporary prefix and validates what the desktop reads of it
# (desktop entry, AppStream metadata, manual pages), then builds the Debian packages from the
# same build folder and runs lintian on them. Fails on any validator complaint or lintian error.
#   tools/check-package.sh [BUILD_DIR]   (build by default)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/usr

echo "== cmake --install $build --prefix $prefix"
cmake --install "$build" --prefix "$prefix" > /dev/null
"$prefix/bin/tidewright-cli" --help > /dev/null
"$prefix/bin/consolia-sim" --help > /dev/null
"$prefix/bin/tidewright-host" --help > /dev/null
"$prefix/bin/tidewright-awg-sim" --help > /dev/null

echo "== desktop-file-validate"
for entry in "$prefix"/share/applications/*.desktop; do
    # It exits 0 on warnings; a clean entry prints nothing.
    complaints=$(desktop-file-validate "$entry" 2>&1) || true
    if [[ -n $complaints ]]; then
        echo "$complaints"
        exit 1
    fi
    echo "$(basename "$entry"): clean"
done

echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml
# The tree as a software centre reads it: the launchable desktop entry and the icon must be there.
appstreamcli validate-tree --no-net "$work"

echo "== manual pages"
for page in "$prefix"/share/man/man1/*.1.gz; do
    complaints=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 \
        > /dev/null)
    if [[ -n $complaints ]]; then
        echo "$(basename "$page"): $complaints"
        exit 1
    fi
    echo "$(basename "$page"): renders without warnings"
done

echo "== cpack -G DEB"
rm -rf "$build/packages"
(cd "$build" && cpack -G DEB > "$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log"
    exit 1
}
for deb in "$build"/packages/*.deb; do
    echo "$(basename "$deb")"
    dpkg-deb --field "$deb" Depends | sed 's/^/  Depends: /'
done

echo "== lintian"
lintian --fail-on error --display-level ">=info" "$build"/packages/*.deb
echo "lintian: no errors"
