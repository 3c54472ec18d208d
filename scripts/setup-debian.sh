#!/usr/bin/env bash
# Installs what building and testing Halden needs on Debian 12, skipping what is there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang
    qt6-base-dev libhidapi-dev libudev-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth fonts-liberation2 fonts-wqy-microhei
    srecord poppler-utils openssl
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
