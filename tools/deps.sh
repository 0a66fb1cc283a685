# Debian packages the build, the tests and the benchmarks need; sourced by run.sh and test.sh.
TW_PACKAGES=(build-essential cmake pkg-config qt6-base-dev qt6-svg-dev qt6-qpa-plugins libgl-dev
             libgtest-dev libgmock-dev libbenchmark-dev clang-14 libclang-rt-14-dev
             clang-format librsvg2-bin pybind11-dev python3-dev python3-numpy python3-pytest
             libsndfile1-dev libmatio-dev python3-scipy python3-venv python3-pip
             python3-setuptools python3-wheel libhdf5-dev zlib1g-dev libxcb1-dev)
# The expression benchmarks' peer (numexpr) and their peak-memory figures (/usr/bin/time).
TW_PACKAGES+=(python3-numexpr time)
# The independent client that checks the simulated instrument byte for byte.
TW_PACKAGES+=(python3-pyvisa-py)
# ONC RPC for VXI-11 instruments (the packages' dependency on libtirpc3 comes from shlibdeps).
TW_PACKAGES+=(libtirpc-dev)
# A managed screen for the desktop tests; PDF pages read back.
TW_PACKAGES+=(xvfb openbox poppler-utils)
# Keys typed into the composers the host launches (tests/hostapp), as a user types them.
TW_PACKAGES+=(xdotool)
# The checks of .clang-tidy (tools/check-tidy.sh).
TW_PACKAGES+=(clang-tidy-14)
# What tools/check-package.sh validates and packages with.
TW_PACKAGING_PACKAGES=(desktop-file-utils appstream man-db dpkg-dev file lintian)

# install_deps [MORE_PACKAGES...]: installs those of TW_PACKAGES and MORE_PACKAGES that are missing.
install_deps() {
    local missing=()
    for p in "${TW_PACKAGES[@]}" "$@"; do
        dpkg -s "$p" > /dev/null 2>&1 || missing+=("$p")
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0
    local sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "${missing[@]}"
}
