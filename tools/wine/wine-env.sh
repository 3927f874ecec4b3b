#!/usr/bin/env bash
# Starts and stops the private Wine environment of one test run:
#   wine-env.sh start STATE_DIR   a virtual display, a private prefix, a persistent wineserver
#   wine-env.sh stop STATE_DIR    stops what start started, by pid
#   wine-env.sh scale STATE_DIR DPI   the display scale (96 = 100 %, 144 = 150 %);
#                                 Wine takes it when its server starts, so the
#                                 server of the running environment is restarted
# The prefix and the display are the test run's own; the user's are never touched.
set -euo pipefail
cmd=${1:?start or stop}
state=${2:?state folder}
mkdir -p "$state"
export WINEPREFIX="$state/prefix" WINEDEBUG=-all LC_ALL=ja_JP.UTF-8 WINEDLLOVERRIDES="mscoree,mshtml="

# The persistent server, and the prefix's own processes (services, the
# desktop) started now, detached from any test's output: a test's pipe would
# otherwise stay open after the test ends, for as long as they run.
serve() {
    wineserver -p </dev/null >/dev/null 2>&1
    wine wineboot </dev/null >/dev/null 2>&1
}

# Writes the scale and stops the server, which keeps the registry on disk;
# the next server reads it from there.
set_scale() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
}

case "$cmd" in
start)
    "$0" stop "$state" >/dev/null 2>&1 || true
    # The server picks a free display itself and writes its number once it
    # takes connections: two test runs that start at the same moment never
    # pick the same one.
    rm -f "$state/display.fd"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$state/display.fd" >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    for _ in $(seq 1 200); do [ -s "$state/display.fd" ] && break; sleep 0.05; done
    n=$(tr -dc '0-9' <"$state/display.fd")
    [ -n "$n" ] || { echo "the virtual display did not start" >&2; exit 1; }
    echo ":$n" >"$state/display"
    export DISPLAY=":$n"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i </dev/null >/dev/null 2>&1
        wineserver -w
        # Without a window manager, hiding a window would wait for one.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        wineserver -w
    fi
    # A run that was stopped while it tried another scale left it behind.
    if ! LC_ALL=C grep -q '"LogPixels"=dword:00000060' "$WINEPREFIX/user.reg" && grep -q '"LogPixels"' "$WINEPREFIX/user.reg"; then
        set_scale 96
    fi
    serve
    echo "wine ready on DISPLAY=:$n, prefix $WINEPREFIX"
    ;;
scale)
    dpi=${3:?dpi}
    [ -f "$state/display" ] || { echo "no Wine environment in $state (run $0 start)" >&2; exit 1; }
    export DISPLAY="$(cat "$state/display")"
    set_scale "$dpi"
    serve
    ;;
stop)
    if [ -d "$WINEPREFIX" ]; then wineserver -k >/dev/null 2>&1 || true; fi
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" >/dev/null 2>&1 || true
        rm -f "$state/xvfb.pid"
    fi
    rm -f "$state/display"
    ;;
*)
    echo "usage: $0 start|stop STATE_DIR" >&2; exit 2 ;;
esac
