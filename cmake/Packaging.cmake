# Installing KMission and building its Debian package (cpack -G DEB, or
# scripts/package.sh). Included at the end of the top-level CMakeLists.txt,
# after the programs and the tests are defined.

# cpack writes the package here; the package test looks for it here.
set(KMISSION_DEB_DIR ${PROJECT_BINARY_DIR}/deb)

add_subdirectory(${PROJECT_SOURCE_DIR}/packaging ${PROJECT_BINARY_DIR}/packaging)
if(KMISSION_TESTS)
    add_subdirectory(${PROJECT_SOURCE_DIR}/tests/package ${PROJECT_BINARY_DIR}/tests/package)
endif()

set(KMISSION_PACKAGE_MAINTAINER "The KMission developers <kmission@users.noreply.github.com>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kmission)
set(CPACK_PACKAGE_VENDOR "The KMission developers")
set(CPACK_PACKAGE_CONTACT "${KMISSION_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the multiplayer missions of Korvane 3")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://kmission.github.io/")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${KMISSION_DEB_DIR})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The first line of the Description field is the summary above.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "KMission opens a multiplayer mission of the combat game Korvane 3, shows its
map with the mission's regions and the start positions of its units, lets you
move units, rename the mission and change its environment, and writes the
mission back to a file of your choice. It finds the game through the game's
registry entry in the Wine prefix the game is installed in.
.
The command-line tool kmission-tool lists, checks and draws missions, and
gives file managers a preview of every mission.")
# The libraries come from the programs themselves; Qt finds its platform
# plugins at run time, so those are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
