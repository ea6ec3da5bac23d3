#!/usr/bin/env bash
# Builds the Windows zip (build-windows.sh) and tests it under Wine: the
# table-driven and window tests on the offscreen platform, then a smoke run
# of the packed program on an X server with Qt's Windows platform plugin.
set -euo pipefail
cd "$(dirname "$0")/.."
zip=$(bash scripts/build-windows.sh | tail -1)
# Wine's X11 driver needs these libraries, which its package only recommends.
bash scripts/setup.sh xvfb imagemagick unzip libxcomposite1 libxcursor1 libxfixes3 libxi6 libxinerama1 \
    libxrandr2 libxrender1 libxxf86vm1
qt=$(bash scripts/build-qt-windows.sh | tail -1)
opencv=$(dirname "$(find "$(bash scripts/build-opencv-windows.sh | tail -1)" -name 'libopencv_core[0-9]*.dll' | head -1)")
cache=${VELLAMOR_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vellamor}
export WINEPREFIX=$cache/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || wineboot --init >/dev/null 2>&1
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
pthread=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")
export WINEPATH="Z:$qt/bin;Z:$opencv;Z:$runtime;Z:$pthread"
ctest --test-dir build/windows --output-on-failure

# The packed program, as a user unzips and starts it.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
unzip -q "$zip" -d "$scratch"
program=$(ls -d "$scratch"/vellamor-*/)
unset WINEPATH
version=$(cd "$program" && wine vellamor.exe --version 2>/dev/null | tr -d '\r')
[ "$version" = "vellamor $(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt | head -1)" ] \
    || { echo "windows: --version printed '$version'" >&2; exit 1; }
# The packed program finds the sample sketch in the sample level by itself.
placed=$(cd "$program" && wine vellamor.exe --place --level sample-level.map sample-map.png 2>/dev/null | tr -d '\r')
[ "$placed" = "$(printf 'origin = -1024 768 ??\nend = 1536 -1152 ??')" ] \
    || { echo "windows: --place printed '$placed'" >&2; exit 1; }
# Wine's desktop keeps the display it first started on: start afresh.
wineserver -k 2>/dev/null || true
wineserver -w
# A name with a space and a non-ASCII letter, given on the command line.
cp "$program/sample-map.png" "$program/Karte Ü.png"
bash scripts/with-xvfb.sh sh -c '
    cd "$1" && (wine vellamor.exe "Karte Ü.png" >/dev/null 2>&1 &)
    for _ in $(seq 60); do
        sleep 1
        import -window root "$2/shot.png" 2>/dev/null || continue
        # The sample'\''s paper colour on screen: the picture is shown.
        convert "$2/shot.png" -format %c histogram:info:- | grep -q "(236,229,212)" && exit 0
    done
    exit 1' smoke "$program" "$scratch" || { echo "windows: the packed program showed no picture" >&2; exit 1; }
wineserver -k || true
echo "windows: tests and the packed program pass under Wine ($(du -h "$zip" | cut -f1) zip)"
