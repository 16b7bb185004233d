#!/usr/bin/env bash
# Installs what is missing, builds, writes the demo game installation under the
# build folder and starts the editor on it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default

build=build/default
demo="$PWD/$build/demo"
rm -rf "$demo"
"$build/tools/kmission-tool/kmission-tool" make-demo "$demo"
echo "Demo game installation: $demo"

# The editor finds the game through the registry of this Wine prefix, as it
# finds a real installation under Wine.
export WINEPREFIX="$demo/prefix"

if [ ! -x "$build/src/app/kmission" ]; then
    "$build/tools/kmission-tool/kmission-tool" dump "$demo/pbd/readermp01.PBD"
    echo "The editor is not built yet; above is the first demo mission."
    exit 0
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    out="$demo/readermp01.png"
    "$build/tools/kmission-tool/kmission-tool" render "$demo/pbd" "$demo/pbd/readermp01.PBD" "$out"
    echo "No desktop to show the editor on; the first demo mission as the editor draws it: $out"
    exit 0
fi
exec "$build/src/app/kmission"
