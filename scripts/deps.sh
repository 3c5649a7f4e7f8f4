#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
# Works as root and through sudo. Usage: scripts/deps.sh [build|test]
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config zlib1g-dev qt6-base-dev libqt6svg6)
if [ "${1:-build}" = test ]; then
  packages+=(libgtest-dev zip unzip 7zip libarchive-tools python3 xvfb xauth clang
    libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
