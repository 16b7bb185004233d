#!/usr/bin/env bash
# Builds the Debian package of KMission (build/deb/deb/kmission_VERSION_ARCH.deb)
# and checks it: its contents unpacked and run, the desktop file, the AppStream
# data and lintian. Installs what is missing (Debian packages).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh cmake ninja-build g++ qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev dpkg-dev file desktop-file-utils appstream lintian shared-mime-info libglib2.0-bin

build=build/deb
# Debian's own compiler and linker flags, with all its hardening.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
# Only what the package holds and the tests of the package.
cmake --build "$build" --target kmission kmission-tool kmission_desktop_files \
    package_test
rm -f "$build"/deb/*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/deb/kmission_*.deb)
echo "Package: $deb"
dpkg-deb --info "$deb"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
lintian --fail-on error --tag-display-limit 0 "$deb"

# A file manager's view of the installed package: with the package's files as
# the only data folder and its programs on the PATH, and the caches dpkg's
# triggers would build, KMission opens missions.
update-mime-database "$root/usr/share/mime"
update-desktop-database "$root/usr/share/applications"
handler=$(env PATH="$root/usr/bin:$PATH" XDG_DATA_DIRS="$root/usr/share" \
    XDG_DATA_HOME="$root/home" XDG_CONFIG_HOME="$root/config" XDG_CONFIG_DIRS="$root/config" \
    gio mime application/x-korvane3-mission 2>/dev/null)
echo "$handler"
grep -q "^Default application.*io.github.kmission.KMission.desktop" <<<"$handler"

ctest --test-dir "$build" --output-on-failure -R 'PackageTest|ThumbnailerTest'
echo "Built and checked: $deb"
