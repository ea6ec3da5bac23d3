#!/usr/bin/env bash
# Builds OpenCV's core and image processing modules, the only ones Vellamor
# uses, for 64-bit Windows from Debian's own opencv source package, once,
# into a cache folder outside the working tree; prints that folder. Reused
# while the source version, the toolchain and the options are unchanged.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh g++-mingw-w64-x86-64-posix mingw-w64 libz-mingw-w64-dev ninja-build dpkg-dev libopencv-core-dev

# Two modules, shared, with nothing optional: no other library, no
# accelerator that needs a runtime of its own; Debian's zlib for Windows
# built in, so that no zlib1.dll is needed beside them.
options=(-DBUILD_LIST=core,imgproc -DBUILD_SHARED_LIBS=ON -DCMAKE_BUILD_TYPE=Release
         -DBUILD_TESTS=OFF -DBUILD_PERF_TESTS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOCS=OFF -DBUILD_opencv_apps=OFF
         -DBUILD_JAVA=OFF -DBUILD_opencv_python3=OFF -DBUILD_ZLIB=OFF -DOPENCV_GENERATE_PKGCONFIG=OFF
         -DWITH_IPP=OFF -DWITH_ITT=OFF -DWITH_OPENCL=OFF -DWITH_EIGEN=OFF -DWITH_TBB=OFF -DWITH_LAPACK=OFF
         -DWITH_OPENMP=OFF -DWITH_PROTOBUF=OFF -DWITH_ADE=OFF -DWITH_QUIRC=OFF -DWITH_VTK=OFF -DWITH_DIRECTX=OFF
         -DWITH_FFMPEG=OFF -DWITH_GSTREAMER=OFF -DWITH_WIN32UI=OFF -DWITH_DSHOW=OFF -DWITH_MSMF=OFF -DWITH_1394=OFF
         -DWITH_JPEG=OFF -DWITH_PNG=OFF -DWITH_TIFF=OFF -DWITH_WEBP=OFF -DWITH_OPENJPEG=OFF -DWITH_JASPER=OFF
         -DWITH_OPENEXR=OFF -DWITH_IMGCODEC_HDR=OFF -DWITH_IMGCODEC_SUNRASTER=OFF -DWITH_IMGCODEC_PXM=OFF
         -DWITH_IMGCODEC_PFM=OFF -DCPU_BASELINE=SSE3 -DCPU_DISPATCH=
         -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include)
version=$(dpkg-query -W -f='${Version}' libopencv-core-dev)
key=$( (echo "${options[*]}"; cat windows/mingw-toolchain.cmake) | sha256sum | cut -c1-12)
cache=${VELLAMOR_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vellamor}
prefix=$cache/opencv-$version-windows-$key
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

# The source of the very version whose headers the Linux build uses.
if ! apt-cache showsrc opencv 2>/dev/null | grep -q "^Version: $version$"; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
            > /etc/apt/sources.list.d/vellamor-src.sources
    else
        sed -n -e 's/^deb /deb-src /p' /etc/apt/sources.list > /etc/apt/sources.list.d/vellamor-src.list
    fi
    apt-get update -q >/dev/null
fi
work=$cache/opencv-source-$version
if [ ! -d "$work/src" ]; then
    rm -rf "$work" && mkdir -p "$work"
    (cd "$work" && apt-get source -q --download-only "opencv=$version" >/dev/null \
        && dpkg-source -x ./*.dsc src >/dev/null)
fi

rm -rf "$work/build" "$prefix"
mkdir -p "$work/build"
cd "$work/build"
cmake ../src -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/windows/mingw-toolchain.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
    "${options[@]}" >configure.log 2>&1 || { tail -40 configure.log >&2; exit 1; }
cmake --build . --parallel "$(nproc)" >build.log 2>&1 || { tail -40 build.log >&2; exit 1; }
cmake --install . >/dev/null
# What the zip carries to meet the licence: its text and where the source is.
mkdir -p "$prefix/licenses"
cp ../src/LICENSE "$prefix/licenses/OpenCV-LICENSE.txt"
echo "opencv $version" > "$prefix/licenses/VERSION"
touch "$prefix/.complete"
echo "$prefix"
