# Cross build for Windows x64 with Debian's mingw-w64 (posix threads). The tests run through Wine.
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DLANVEX_WITH_QT=OFF
#
# A Windows prefix such as a Qt built for mingw can be added with -DMINGW_EXTRA_ROOTS=/path.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${MINGW_EXTRA_ROOTS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest and add_test() run the .exe files through Wine. Debian does not put its wine64 loader on
# the PATH.
set(LANVEX_WINE_LOADER /usr/lib/wine/wine64 CACHE FILEPATH "Wine loader that runs the Windows tests")
set(CMAKE_CROSSCOMPILING_EMULATOR ${LANVEX_WINE_LOADER})

