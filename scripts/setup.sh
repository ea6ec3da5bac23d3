#!/usr/bin/env bash
# Installs what building and testing Vellamor needs on Debian 12, and nothing
# when it is all there already. Extra packages may be named as arguments.
set -euo pipefail

packages=(g++ make cmake qt6-base-dev qt6-qpa-plugins libopencv-core-dev libopencv-imgproc-dev fonts-dejavu-core
          librsvg2-bin scdoc
          desktop-file-utils appstream dpkg-dev file lintian man-db groff-base libxml2-utils "$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
        SUDO=(sudo -n)
    else
        echo "setup: these Debian packages are missing: ${missing[*]}" >&2
        echo "setup: run as root, or install them with: sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
else
    SUDO=()
fi

export DEBIAN_FRONTEND=noninteractive
if ! "${SUDO[@]}" apt-get update -q >/dev/null \
   || ! "${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null; then
    echo "setup: could not install ${missing[*]} (no network or no package archive?)" >&2
    exit 1
fi
