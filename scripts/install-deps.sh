#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests, the package's checks
# and the demo need, skipping the update and the install when everything is
# already there.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config clang libfuzzer-14-dev
    qt6-base-dev qt6-image-formats-plugins libgl-dev zlib1g-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    dbus-daemon dbus-bin fonts-liberation2 dpkg-dev
    librsvg2-bin
    desktop-file-utils appstream lintian man-db
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}; run as root (or install them) first." >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
