# Debian packages the build, the tests and the benchmarks need; sourced by run.sh and test.sh.
TW_PACKAGES=(build-essential cmake pkg-config qt6-base-dev qt6-svg-dev qt6-qpa-plugins libgl-dev
             libgtest-dev libgmock-dev libbenchmark-dev clang-14 libclang-rt-14-dev
             clang-format pybind11-dev python3-dev python3-numpy python3-pytest)

install_deps() {
    local missing=()
    for p in "${TW_PACKAGES[@]}"; do
        dpkg -s "$p" > /dev/null 2>&1 || missing+=("$p")
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0
    local sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "${missing[@]}"
}
