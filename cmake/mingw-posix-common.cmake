# What the two mingw-w64 toolchain files share: the posix thread-model compilers of the target
# VARREL_MINGW_TRIPLE, their sysroot, and the Wine loader VARREL_WINE_LOADER that runs the results.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${VARREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VARREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VARREL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VARREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The loader by its path: Debian's wine script starts the 32-bit loader whenever it is installed,
# even where it cannot run.
set(CMAKE_CROSSCOMPILING_EMULATOR ${VARREL_WINE_LOADER})
