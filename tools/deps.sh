#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tool need, when any is missing.
set -euo pipefail

# xvfb and xauth: "xvfb-run make run" opens the window where there is no display; libpcap reads
# packet captures of the link.
packages=(cmake make g++ qt6-base-dev libgl-dev fonts-dejavu-core fonts-liberation2 xvfb xauth libpcap-dev)
[ "${TARC_FUZZ:-0}" = 1 ] && packages+=(clang libclang-rt-14-dev)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing Debian packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
else
    echo "error: need root or sudo to install: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
