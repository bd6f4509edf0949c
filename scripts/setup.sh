#!/usr/bin/env bash
# Installs what the build, the demo and the tests need (Debian 12, as root),
# then configures and builds the project into build/.
#   scripts/setup.sh [BUILD_DIR [CMAKE_OPTION...]]
# ZELKON_BUILD_TARGETS, a list of targets separated by blanks, builds only
# those (the demo builds only the programs); by default everything is built.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(build-essential cmake pkg-config qt6-base-dev libgl-dev libgtest-dev libgmock-dev
          libbenchmark-dev zlib1g-dev openssh-client openssh-server clang-format
          fonts-dejavu-core procps help2man desktop-file-utils dpkg-dev file parallel bc
          clang libclang-rt-dev slurm-wlm munge)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

build_dir=${1:-build}
shift || true
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
targets=()
for target in ${ZELKON_BUILD_TARGETS:-}; do
    targets+=(--target "$target")
done
cmake --build "$build_dir" -j"$(nproc)" "${targets[@]}"
