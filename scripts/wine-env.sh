# Sourced by the scripts: a Wine prefix kept under build/, and a virtual X display when there is none.

export WINEDEBUG=-all
export WINEARCH=win32
export WINEPREFIX=${WINEPREFIX:-$(pwd)/build/wineprefix}
# No Mono or Gecko installer dialogs (the program needs neither), and no debugger that would
# hold a crashed test until its time-out.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

VARREL_XVFB_PID=

wine_session_start() {
  if [ -z "${DISPLAY:-}" ]; then
    local n
    for n in $(seq 91 140); do
      [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      VARREL_XVFB_PID=$!
      export DISPLAY=":$n"
      local i
      for i in $(seq 1 50); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
      done
      break
    done
  fi
  xdpyinfo >/dev/null 2>&1 || return 1
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1
  fi
  # Keep one wineserver for the whole session so that every test starts quickly, and start the
  # prefix's services now: a program that is the first of a fresh wineserver can stall at exit
  # when its output goes to a pipe, as it does under ctest.
  wineserver -p >/dev/null 2>&1 || true
  timeout 120 wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
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
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  timeout 120 wine "$1/tests/support/first_button_warm_up.exe" </dev/null >/dev/null 2>&1
}
