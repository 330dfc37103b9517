# Cross-compiles for 64-bit Windows with mingw-w64, posix thread model; the results run under
# 64-bit Wine. The lane for machines whose kernel runs no 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VARREL_MINGW_TRIPLE x86_64-w64-mingw32)
# The lane's Wine loader, written here only: scripts/wine-env.sh reads this line.
set(VARREL_WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-posix-common.cmake)
