# Cross-compiles for 32-bit Windows (the product as shipped) with mingw-w64, posix thread model;
# the results run under 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VARREL_MINGW_TRIPLE i686-w64-mingw32)
# The lane's Wine loader, written here only: scripts/wine-env.sh reads this line.
set(VARREL_WINE_LOADER /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-posix-common.cmake)
