#!/bin/sh
# Runs a Windows program under Wine in a Wine prefix of our own, never the
# user's ~/.wine; the cross build's tests run through it (the toolchain file
# names it as the cross-compiling emulator).
#
#   wine-run.sh [--prefix DIR] PROGRAM.exe [ARGUMENT...]
#       runs the program; its exit status is passed through (Wine gives the
#       low 8 bits of the Windows exit code)
#   wine-run.sh [--prefix DIR] --map-com N DEVICE
#       makes COMN in the prefix name DEVICE (a pseudo-terminal's slave, say);
#       it holds from the next open of the port. Take N of 50 or more: each
#       time Wine starts a session it numbers the host's serial devices
#       (/dev/ttyS*, ttyUSB*, ttyACM*) as COM1, COM2, ... and rewrites those
#       names; a number that high is also opened as \\.\COMN, as Windows
#       requires from COM10 on.
#   wine-run.sh [--prefix DIR] --init
#       makes the prefix and starts its Wine server, and nothing else (do this
#       before ctest: a test's first start must not pay for the prefix)
#   wine-run.sh [--prefix DIR] --stop
#       ends the prefix's Wine server
#
# The prefix is DIR (the toolchain file gives <build folder>/wine-prefix),
# else $VX_WINEPREFIX, else build-windows/wine-prefix beside this script's
# folder. It is made on first use (4-9 s); a Wine server
# then stays up for LINGER seconds after the last program ends, so that the
# next start takes a fraction of a second instead of most of a second.
set -eu

LINGER=${VX_WINE_LINGER:-60}
here=$(cd "$(dirname "$0")" && pwd)
prefix=${VX_WINEPREFIX:-$here/../build-windows/wine-prefix}
if [ "${1:-}" = --prefix ]; then
    [ $# -ge 2 ] || { echo "wine-run.sh: --prefix needs a folder" >&2; exit 2; }
    prefix=$2
    shift 2
fi
[ $# -ge 1 ] || { echo "usage: wine-run.sh [--prefix DIR] PROGRAM.exe [ARGUMENT...]" >&2; exit 2; }

mkdir -p "$prefix"
WINEPREFIX=$(cd "$prefix" && pwd)
# Debian's Wine keeps the server's socket under $TMPDIR: every call must see
# the same one, or each would start a server of its own.
TMPDIR=/tmp
# Without this Wine's diagnostics mix with the program's standard error; a
# missing DLL then shows only as exit status 53 (VX_WINEDEBUG=err+all shows why).
WINEDEBUG=${VX_WINEDEBUG:--all}
WINEARCH=win64
export WINEPREFIX TMPDIR WINEDEBUG WINEARCH

if [ "$1" = --stop ]; then
    [ -f "$WINEPREFIX/system.reg" ] && wineserver -k 2>/dev/null
    exit 0
fi

# First use: make the prefix, one caller at a time (ctest may start several).
# No Mono or Gecko: console programs need neither, and their installers
# would ask on a display.
if [ ! -f "$WINEPREFIX/system.reg" ] || [ ! -f "$WINEPREFIX/.vx-ready" ]; then
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.vx-ready" ]; then
            WINEDLLOVERRIDES="mscoree=;mshtml=" wineboot -i </dev/null >/dev/null 2>&1 9>&-
            wineserver -w 9>&-
            touch "$WINEPREFIX/.vx-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
fi

# A server of our own that outlives each program by LINGER seconds (it
# answers 2 when one runs already). A new server's session (services,
# device drivers) lives as long as the server: it is started here with no
# descriptor of ours, or a caller reading our output to its end (ctest) would
# wait for those background processes too.
# One caller at a time, the others waiting until the session is up: a program
# started meanwhile would start the session itself, with our descriptors. The
# lock's descriptor is closed for Wine's processes, which outlive this call.
start_session() {
    (
        flock 9
        if wineserver -p"$LINGER" </dev/null >/dev/null 2>&1 9>&-; then
            wineboot </dev/null >/dev/null 2>&1 9>&-
        fi
    ) 9>"$WINEPREFIX.lock"
}

case "$1" in
--init)
    start_session
    exit 0
    ;;
--map-com)
    [ $# -eq 3 ] || { echo "wine-run.sh: --map-com N DEVICE" >&2; exit 2; }
    # Wine looks COMn up as dosdevices/comn when the port is opened.
    ln -sfn "$3" "$WINEPREFIX/dosdevices/com$2"
    exit 0
    ;;
esac

start_session
exec wine "$@"
