# Sourced by the scripts: picks the Windows lane, a Wine prefix of that lane kept under build/, and
# a virtual X display when there is none.
#
# The lane: the 32-bit build under 32-bit Wine where this machine runs 32-bit programs (the product
# as shipped), otherwise a 64-bit build of the same sources under 64-bit Wine. It is decided by
# trying the 32-bit loader, not by kernel version: some kernels boot with 32-bit emulation off, and
# there every 32-bit program fails with "Exec format error". VARREL_WINE_LANE=32 or 64 forces one.
#
# What the scripts take from here:
#   VARREL_LANE       32 or 64
#   VARREL_LANE_NAME  "32-bit build" or "64-bit build", for summaries and reports
#   VARREL_TOOLCHAIN  the CMake toolchain file of the lane
#   varrel_win_dir D  prints the lane's Windows build folder under the build root D
#   VARREL_WINE       the lane's Wine loader, by its path; WINELOADER is set to it too, since
#                     Debian's wine and wineboot scripts start the 32-bit loader whenever it is
#                     installed, even where it cannot run

# Each lane's toolchain file names its Wine loader (ctest runs the tests with it): read from there.
varrel_loader_of() { sed -n 's/^set(VARREL_WINE_LOADER \(.*\))$/\1/p' "cmake/mingw-$1-posix.cmake"; }
VARREL_WINE32_LOADER=$(varrel_loader_of i686)
VARREL_WINE64_LOADER=$(varrel_loader_of x86_64)
[ -n "$VARREL_WINE32_LOADER" ] && [ -n "$VARREL_WINE64_LOADER" ] ||
  { echo "no Wine loader in cmake/mingw-*-posix.cmake" >&2; return 1 2>/dev/null || exit 1; }

case "${VARREL_WINE_LANE:-}" in
  32 | 64) VARREL_LANE=$VARREL_WINE_LANE ;;
  "")
    if "$VARREL_WINE32_LOADER" --version >/dev/null 2>&1; then
      VARREL_LANE=32
    else
      VARREL_LANE=64
    fi
    ;;
  *)
    echo "VARREL_WINE_LANE must be 32 or 64, not '$VARREL_WINE_LANE'" >&2
    return 1 2>/dev/null || exit 1
    ;;
esac

if [ "$VARREL_LANE" = 32 ]; then
  VARREL_WINE=$VARREL_WINE32_LOADER
  VARREL_TOOLCHAIN=$(pwd)/cmake/mingw-i686-posix.cmake
  export WINEARCH=win32
else
  VARREL_WINE=$VARREL_WINE64_LOADER
  VARREL_TOOLCHAIN=$(pwd)/cmake/mingw-x86_64-posix.cmake
  export WINEARCH=win64
fi
VARREL_LANE_NAME="$VARREL_LANE-bit build"
export VARREL_LANE VARREL_WINE VARREL_TOOLCHAIN
export WINELOADER=$VARREL_WINE
export WINEDEBUG=-all
# A prefix belongs to one WINEARCH: each lane has its own, named after the base the script gives.
export WINEPREFIX=${VARREL_PREFIX_BASE:-$(pwd)/build/wineprefix}-$VARREL_LANE
# No Mono or Gecko installer dialogs (the program needs neither), and no debugger that would
# hold a crashed test until its time-out.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

echo "Windows lane: $VARREL_LANE_NAME under $VARREL_WINE (prefix $WINEPREFIX)" >&2

# The lane's Windows build folder under the build root $1: the 32-bit product builds in $1/win on
# every machine, the 64-bit lane in $1/win64.
varrel_win_dir() {
  if [ "$VARREL_LANE" = 32 ]; then echo "$1/win"; else echo "$1/win64"; fi
}

# Runs a program under the lane's Wine.
vwine() {
  "$VARREL_WINE" "$@"
}

# Makes the prefix when it does not exist yet (the first start takes a while).
wine_prefix_init() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  mkdir -p "$WINEPREFIX"
  DISPLAY= vwine wineboot.exe --init >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1 || true
  [ -f "$WINEPREFIX/system.reg" ]
}

VARREL_XVFB_PID=

wine_session_start() {
  if [ -z "${DISPLAY:-}" ]; then
    # A display of our own: another session may take the same free number at the same moment,
    # so the number counts as ours only once our Xvfb answers on it.
    local n i
    for n in $(seq 91 140); do
      [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      VARREL_XVFB_PID=$!
      for i in $(seq 1 50); do
        kill -0 "$VARREL_XVFB_PID" 2>/dev/null || break
        DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
      done
      if kill -0 "$VARREL_XVFB_PID" 2>/dev/null; then
        export DISPLAY=":$n"
        break
      fi
      wait "$VARREL_XVFB_PID" 2>/dev/null
      VARREL_XVFB_PID=
    done
  fi
  xdpyinfo >/dev/null 2>&1 || return 1
  wine_prefix_init || return 1
  # Keep one wineserver for the whole session so that every test starts quickly, and start the
  # prefix's services now: a program that is the first of a fresh wineserver can stall at exit
  # when its output goes to a pipe, as it does under ctest.
  wineserver -p >/dev/null 2>&1 || true
  timeout 120 "$VARREL_WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1 || return 1
  return 0
}

wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$VARREL_XVFB_PID" ]; then
    kill "$VARREL_XVFB_PID" 2>/dev/null
    wait "$VARREL_XVFB_PID" 2>/dev/null
    VARREL_XVFB_PID=
  fi
}

# Once per session of the tests, the benchmark or the soak, so that none depends on another having
# run first: with no window manager on the display, windows are left unmanaged (Wine would wait
# 2 s on every hidden managed window), and the first button event of the session, which stalls
# for seconds, is paid here before anything records. $1: the Windows build folder.
wine_unattended_session() {
  vwine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  timeout 120 "$VARREL_WINE" "$1/tests/support/first_button_warm_up.exe" </dev/null >/dev/null 2>&1
}
