#!/usr/bin/env bash
# Runs a Windows program of the cross builds under Wine: the test runner of
# the windows-x64 and windows-x86 presets (their CMAKE_CROSSCOMPILING_EMULATOR).
#
#   wine-run.sh win64|win32 PROGRAM.exe [ARGS...]   run one program
#   wine-run.sh win64|win32 --session-start         one X server for many runs
#   wine-run.sh win64|win32 --session-stop
#
# Each width has its own prefix, made on first use, under
# ${FRAYLINE_WINE_ROOT:-~/.cache/frayline}. GL needs an X server even for a
# hidden window, and a wineserver keeps the display of whoever started it, so:
# - inside a session (CTest starts one as a fixture) every program gets the
#   session's Xvfb and the one persistent wineserver, and programs may run
#   side by side;
# - outside one, a program gets an Xvfb of its own and has the prefix to
#   itself; its wineserver is stopped after it, so the next program starts
#   with its own display.
set -euo pipefail

usage() { echo "usage: $0 win64|win32 (PROGRAM [ARGS...] | --session-start | --session-stop)" >&2; exit 2; }
[ $# -ge 2 ] || usage
arch=$1
shift
case "$arch" in
    win64) wine=/usr/lib/wine/wine64 ;;
    win32) wine=/usr/lib/wine/wine ;;
    *) usage ;;
esac
for tool in "$wine" /usr/lib/wine/wineserver Xvfb xvfb-run; do
    command -v "$tool" >/dev/null || { echo "wine-run: $tool missing: run scripts/deps.sh" >&2; exit 1; }
done

root=${FRAYLINE_WINE_ROOT:-${XDG_CACHE_HOME:-$HOME/.cache}/frayline}
mkdir -p "$root"
export WINEPREFIX="$root/$arch"
export WINEARCH=$arch
export WINEDEBUG=-all
# No .NET or HTML engine: nothing here uses them, and Wine would otherwise
# offer to download them when it makes the prefix. No debugger either: a
# crashing test must fail at once, not wait in winedbg.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# Debian's wrapper picks the 64-bit server, which serves 32-bit programs too
# and runs natively, where the 32-bit one would run under qemu.
wineserver=/usr/lib/wine/wineserver
# 32-bit Wine runs under qemu through binfmt_misc; llvmpipe crashes on qemu's
# default CPU model.
# (Nehalem lists two 64-bit-only features qemu-i386 warns about on every start.)
export QEMU_CPU=${QEMU_CPU:-Nehalem,-lm,-syscall}
session="$root/$arch.session"

# One lock per prefix: shared while a program runs inside a session,
# exclusive to make the prefix, to run outside a session, and to start or
# stop one. Wine's processes must not inherit it (9>&-): a wineserver or
# explorer.exe that outlives its program would hold the lock for good.
exec 9>"$root/$arch.lock"

prepare_prefix() {
    if [ ! -f "$WINEPREFIX/.frayline-ready" ]; then
        rm -rf "$WINEPREFIX"
        env -u DISPLAY "$wine" wineboot -i </dev/null >/dev/null 2>&1 9>&-
        "$wineserver" -w
        touch "$WINEPREFIX/.frayline-ready"
    fi
}

# Prints the session's display when its X server is still running.
session_display() {
    local display pid
    [ -f "$session" ] || return 1
    read -r display pid <"$session" || return 1
    kill -0 "$pid" 2>/dev/null || return 1
    echo "$display"
}

case "$1" in
    --session-start)
        flock -x 9
        prepare_prefix
        if session_display >/dev/null; then exit 0; fi
        # Wait for the old server to be gone, or the persistent one started
        # below finds it still there and quits, leaving the session without one.
        "$wineserver" -k 2>/dev/null || true
        "$wineserver" -w 2>/dev/null || true
        for n in $(seq 90 199); do
            [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
        done
        # Detached from our output, or CTest would wait for the server to end.
        setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 9>&- &
        pid=$!
        for _ in $(seq 100); do
            [ -S "/tmp/.X11-unix/X$n" ] && break
            kill -0 "$pid" 2>/dev/null || { echo "wine-run: Xvfb :$n failed to start" >&2; exit 1; }
            sleep 0.1
        done
        echo ":$n $pid" >"$session"
        # A persistent server: programs that follow each other reuse it.
        DISPLAY=":$n" "$wineserver" -p </dev/null >/dev/null 2>&1 9>&-
        echo "wine-run: $arch session on :$n"
        exit 0
        ;;
    --session-stop)
        flock -x 9
        "$wineserver" -k 2>/dev/null || true
        if [ -f "$session" ]; then
            read -r _ pid <"$session" || true
            [ -z "${pid:-}" ] || kill "$pid" 2>/dev/null || true
            rm -f "$session"
        fi
        exit 0
        ;;
esac

program=$1
shift
[ -f "$program" ] || { echo "wine-run: no program $program" >&2; exit 2; }

if ! [ -f "$WINEPREFIX/.frayline-ready" ]; then
    flock -x 9
    prepare_prefix
    flock -u 9
fi

flock -s 9
if display=$(session_display); then
    # The program's output goes through files: Wine's helper processes
    # (services.exe, explorer.exe) inherit it and live as long as the
    # session, and a pipe they hold open would make CTest wait for them.
    out=$(mktemp) err=$(mktemp)
    trap 'rm -f "$out" "$err"' EXIT
    rc=0
    DISPLAY=$display "$wine" "$program" "$@" </dev/null >"$out" 2>"$err" 9>&- || rc=$?
    cat "$out"
    cat "$err" >&2
    exit "$rc"
fi

# No session: have the prefix alone, with a display of our own.
flock -u 9
flock -x 9
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w 2>/dev/null || true
rc=0
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" \
    sh -c '"$0" "$@"; rc=$?; /usr/lib/wine/wineserver -w; exit $rc' "$wine" "$program" "$@" 9>&- || rc=$?
exit "$rc"
