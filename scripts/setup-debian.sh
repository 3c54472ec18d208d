#!/usr/bin/env bash
# Installs what building and testing Halden needs on Debian 12, skipping what is there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang clang-tidy
    qt6-base-dev libhidapi-dev libudev-dev umockdev libumockdev-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth fonts-liberation2 fonts-wqy-microhei
    srecord poppler-utils openssl
    libclang-rt-14-dev
    dpkg-dev file lintian
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "setup-debian.sh: these packages are missing: ${missing[*]}" >&2
            echo "Not root, and sudo is not installed. As root, run:" >&2
            echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
            echo "then run this command again." >&2
            exit 1
        fi
        sudo="sudo"
    fi
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
