# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (package
# g++-mingw-w64-x86-64). The posix flavour of the compiler gives the C++
# standard library its full thread support; everything is linked statically so
# that the programs run without the compiler's DLLs beside them.
#
#   cmake -S tests/windows -B build/mingw -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KMISSION_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KMISSION_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KMISSION_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KMISSION_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KMISSION_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine, both for CTest and for test discovery.
find_program(KMISSION_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KMISSION_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KMISSION_WINE})
endif()
