#!/usr/bin/env bash
# Installs what the build and the tests need (Debian packages), when missing.
# Run by ./run and ./test; further package names on the command line are
# installed too (.ci/run asks for the fuzzing compiler this way).
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    googletest libgtest-dev libbenchmark-dev
    qt6-base-dev qt6-svg-dev qt6-serialport-dev qt6-qpa-plugins libgl-dev
    fonts-liberation fonts-dejavu-core
    desktop-file-utils appstream dpkg-dev help2man lintian
    nec2c libeigen3-dev nlohmann-json3-dev
    poppler-utils
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    sudo=()
    if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
