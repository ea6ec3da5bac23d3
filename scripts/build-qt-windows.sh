#!/usr/bin/env bash
# Builds Qt 6.4.2 (Core, Gui, Widgets and the plugins Vellamor uses) for
# 64-bit Windows from Debian's own qt6-base source package, once, into a
# cache folder outside the working tree; prints that folder. Reused while
# the source version, the toolchain and the options are unchanged.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh g++-mingw-w64-x86-64-posix mingw-w64 ninja-build qt6-base-dev-tools dpkg-dev

# Only what Vellamor uses; iaccessible2 and wintab, which Debian's source
# leaves out, are what accessibility's bridge and tablet events need.
options=(-release -xplatform win32-g++ -qt-host-path /usr -nomake examples -nomake tests
         -no-dbus -no-opengl -no-feature-vulkan -no-icu -no-feature-sql -no-feature-network
         -no-feature-xml -no-feature-concurrent -no-feature-printsupport -no-feature-tabletevent
         -qt-zlib -qt-libpng -qt-libjpeg -qt-freetype -qt-harfbuzz -qt-pcre)
version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
key=$( (echo "${options[*]}"; cat windows/mingw-toolchain.cmake) | sha256sum | cut -c1-12)
cache=${VELLAMOR_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vellamor}
prefix=$cache/qt-$version-windows-$key
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

# The source of the very version whose host tools are installed.
if ! apt-cache showsrc qt6-base 2>/dev/null | grep -q "^Version: $version$"; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
            > /etc/apt/sources.list.d/vellamor-src.sources
    else
        sed -n -e 's/^deb /deb-src /p' /etc/apt/sources.list > /etc/apt/sources.list.d/vellamor-src.list
    fi
    apt-get update -q >/dev/null
fi
work=$cache/qt-source-$version
if [ ! -d "$work/src" ]; then
    rm -rf "$work" && mkdir -p "$work"
    (cd "$work" && apt-get source -q --download-only "qt6-base=$version" >/dev/null \
        && dpkg-source -x ./*.dsc src >/dev/null)
fi

rm -rf "$work/build" "$prefix"
mkdir -p "$work/build"
cd "$work/build"
../src/configure -prefix "$prefix" "${options[@]}" \
    -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/windows/mingw-toolchain.cmake" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >configure.log 2>&1 \
    || { tail -40 configure.log >&2; exit 1; }
cmake --build . --parallel "$(nproc)" >build.log 2>&1 || { tail -40 build.log >&2; exit 1; }
cmake --install . >/dev/null
# What the zip carries to meet the LGPL: the licence and where the source is.
mkdir -p "$prefix/licenses"
cp ../src/LICENSES/LGPL-3.0-only.txt ../src/LICENSES/GPL-3.0-only.txt "$prefix/licenses/"
echo "qt6-base $version" > "$prefix/licenses/VERSION"
touch "$prefix/.complete"
echo "$prefix"
