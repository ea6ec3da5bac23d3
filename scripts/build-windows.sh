#!/usr/bin/env bash
# Cross-builds Vellamor and its tests for 64-bit Windows on Debian 12, with
# Debian's MinGW-w64 and a Qt and an OpenCV built once from Debian's own
# source (see build-qt-windows.sh and build-opencv-windows.sh), and packs
# vellamor-VERSION-windows-x64.zip: the program, the Qt, OpenCV and MinGW
# DLLs and plugins it needs, the README, the licences and the samples.
# Prints the zip's path.
set -euo pipefail
cd "$(dirname "$0")/.."
qt=$(bash scripts/build-qt-windows.sh | tail -1)
opencv=$(bash scripts/build-opencv-windows.sh | tail -1)
headers=$(find "$opencv" -path '*/opencv2/imgproc.hpp' | head -1)
opencvLibrary() { find "$opencv" -name "libopencv_$1[0-9]*.dll${2:-}" | head -1; }
bash scripts/setup.sh zip binutils-mingw-w64-x86-64 wine wine64
version=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt | head -1)
build=build/windows
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/windows/mingw-toolchain.cmake" -DCMAKE_PREFIX_PATH="$qt" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_CROSSCOMPILING_EMULATOR=wine -DOPENCV_INCLUDE_DIR="${headers%/opencv2/imgproc.hpp}" \
    -DOPENCV_CORE_LIBRARY="$(opencvLibrary core .a)" -DOPENCV_IMGPROC_LIBRARY="$(opencvLibrary imgproc .a)" >/dev/null
cmake --build "$build" --parallel "$(nproc)" >&2

# What windeployqt would pick for a Widgets program that reads PNG and JPEG.
name=vellamor-$version-windows-x64
stage=$build/$name
rm -rf "$stage" "$name.zip"
mkdir -p "$stage/platforms" "$stage/imageformats" "$stage/styles"
cp "$build/vellamor.exe" "$stage/"
cp "$qt"/bin/Qt6Core.dll "$qt"/bin/Qt6Gui.dll "$qt"/bin/Qt6Widgets.dll "$stage/"
cp "$(opencvLibrary core)" "$(opencvLibrary imgproc)" "$stage/"
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/imageformats/qjpeg.dll" "$stage/imageformats/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    cp "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" "$stage/"
done
find "$stage" -name '*.dll' -o -name '*.exe' | xargs x86_64-w64-mingw32-strip --strip-unneeded
cp README.md LICENSE "$stage/"
cp examples/sample-map.png examples/sample-level.map "$stage/"
mkdir -p "$stage/qt"
cp "$qt"/licenses/*.txt "$stage/qt/"
cat > "$stage/qt/SOURCE.txt" <<TEXT
The Qt libraries and plugins in this folder are Qt 6.4.2, built from Debian
12's source package $(cat "$qt/licenses/VERSION") (apt-get source qt6-base), with
Debian's patches and nothing else changed. They are used under the GNU LGPL
version 3, whose text is beside this file, and may be replaced by any
compatible build of Qt 6.4. scripts/build-qt-windows.sh in Vellamor's source
shows exactly how they were built.
TEXT
mkdir -p "$stage/opencv"
cp "$opencv/licenses/OpenCV-LICENSE.txt" "$stage/opencv/LICENSE.txt"
cat > "$stage/opencv/SOURCE.txt" <<TEXT
The OpenCV libraries in the program's folder (core and image processing)
are built from Debian 12's source package $(cat "$opencv/licenses/VERSION")
(apt-get source opencv), with Debian's patches and nothing else changed.
They are used under the Apache License 2.0, whose text is beside this file.
The core library has zlib built in, from Debian's libz-mingw-w64-dev,
under the zlib licence.
scripts/build-opencv-windows.sh in Vellamor's source shows exactly how they
were built.
TEXT
(cd "$build" && zip -qr9 "../../$name.zip" "$name")
echo "$PWD/$name.zip"
