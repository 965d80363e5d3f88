#!/usr/bin/env bash
# Installs the Debian packages that building and testing Frayline need.
# Idempotent: when everything is present it says so and changes nothing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    python3-glad
    libgtest-dev libgmock-dev libbenchmark-dev
    libegl-dev libegl-mesa0 libgl1-mesa-dri libgl-dev libgbm1
    libpng-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "deps: all packages present, nothing to install"
    exit 0
fi

echo "deps: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get -o DPkg::Lock::Timeout=600 update -qq
$sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
