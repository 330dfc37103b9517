# Cross-compiles for 32-bit Windows (the product as shipped) with mingw-w64, posix thread model;
# the results run under 32-bit Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The loader by its path: Debian's wine script would pick the 32-bit one anyway, but the 64-bit
# configuration must not go through it, so both name theirs.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
