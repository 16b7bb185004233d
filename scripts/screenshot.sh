#!/usr/bin/env bash
# Screenshots of the main window and the map view with a demo mission open, at
# scale factors 1 and 2, on a virtual X display:
# build/screenshots/main-window-{1,2}.png and map-view-{1,2}.png.
# The same test program checks the pictures as it takes them.
# Installs what is missing (Debian packages).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
bash scripts/deps.sh xvfb xauth

cmake --preset default >/dev/null
cmake --build --preset default --target app_test

out="$PWD/build/screenshots"
mkdir -p "$out"
# Every picture is taken even when a check fails; the exit status tells.
status=0
for scale in 1 2; do
    echo "Scale factor $scale"
    QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale KMISSION_SCREENSHOT_DIR="$out" \
        xvfb-run -a -s "-screen 0 1920x1200x24" build/default/tests/app/app_test \
        --gtest_filter="Screenshot*" ||
        status=$?
done
ls -l "$out"
exit "$status"
