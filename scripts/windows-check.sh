#!/usr/bin/env bash
# Cross-builds the game data library, the Windows registry layer and their
# tests for 64-bit Windows with mingw-w64 and runs the tests under Wine, and
# compiles the editor's Windows resources with windres. Installs what is
# missing (Debian packages).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
bash scripts/deps.sh g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 googletest wine wine64

# The icon is painted by the editor's own code, which needs Qt: a native build.
cmake --preset default >/dev/null
cmake --build --preset default --target kmission_icon_writer
icons=build/default/windows-icon
build/default/packaging/kmission-icon-writer "$icons" 16 24 32 48 64 128 256

build=build/mingw
cmake -S tests/windows -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DKMISSION_ICO="$PWD/$icons/kmission.ico"
cmake --build "$build"

# A Wine prefix of our own, made once and kept with the build: its first start
# takes most of a minute, every later program start a second.
export WINEPREFIX="$PWD/$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    wineboot --init >/dev/null 2>&1
fi
wineserver --wait 2>/dev/null || true

# Keep Wine's server running across the tests instead of starting it for each.
wineserver --persistent=60 >/dev/null 2>&1 || true
status=0
ctest --test-dir "$build" --output-on-failure --timeout 300 || status=$?
wineserver --kill >/dev/null 2>&1 || true
exit "$status"
