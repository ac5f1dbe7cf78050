#!/bin/sh
# Idle load of the program: "tessaron" on its own X server (Xvfb) with the
# display window showing the results layout and one TCP source that a timing
# system has connected to. The system is silent, or sends a running clock
# packet every 100 ms. Each case runs with the loop that sleeps until
# something is due and with the plain 1 ms pause (-plainpause), one after
# the other in the same run, and prints the share of one core each used:
#
#     case            sleeping  plain_1ms   (per cent of one core)
#
#     bench/program-idle.sh BIN [SECONDS]
#
# Needs Xvfb and python3.
set -eu
bin=$(cd "$1" && pwd)
seconds=${2:-20}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/tessaron-program-idle-XXXXXX)
peer= program= xserver=
trap 'kill $peer $program $xserver 2>/dev/null || true; rm -rf "$work"' EXIT INT TERM

port=47410
. "$here/own-display.sh"
results_board_home Idle $port
start_own_display

# The timing system: connects, then sends nothing, or a running clock
# packet every period seconds.
timing_system() {
    python3 -c "
import socket, time
s = socket.create_connection(('127.0.0.1', $port))
period, end = $1, time.monotonic() + $2
tenth = 0
try:
    while time.monotonic() < end:
        if period > 0:
            s.sendall(b'\x02C%3d:%02d.%d\r\x03' % (1 + tenth // 600, tenth // 10 % 60, tenth % 10))
            tenth += 1
            time.sleep(period)
        else:
            time.sleep(end - time.monotonic())
except OSError:
    pass  # the program ended first"
}

# The share of one core the program uses with the peer given, after it has
# settled; the program's display window is checked to show the layout.
measure() { # PERIOD [-plainpause]
    "$bin/tessaron" --home "$work/home" --quit-after $((seconds + 6)) \
        --display-png "$work/display.png" $2 2> "$work/errors" &
    program=$!
    sleep 2
    timing_system "$1" $((seconds + 8)) &
    peer=$!
    sleep 2
    sh "$here/cpu-share.sh" $program "$seconds" | cut -d= -f2
    wait $program || { echo "the program failed" >&2; cat "$work/errors" >&2; exit 1; }
    kill $peer 2>/dev/null || true
    wait $peer 2>/dev/null || true
    [ -s "$work/display.png" ] || { echo "no display picture" >&2; exit 1; }
    rm -f "$work/display.png"
}

printf '%-20s %9s %10s\n' case sleeping plain_1ms
for load in silent clock; do
    period=0
    [ $load = silent ] || period=0.1
    measure $period "" > "$work/sleeping"
    measure $period -plainpause > "$work/plain"
    sleeping=$(cat "$work/sleeping") plain=$(cat "$work/plain")
    label="silent source"
    [ $load = silent ] || label="clock every 100 ms"
    printf '%-20s %9s %10s\n' "$label" "$sleeping" "$plain"
done
