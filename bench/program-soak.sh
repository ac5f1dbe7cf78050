#!/bin/sh
# The program's long run: "tessaron" on its own X server (Xvfb) showing the
# results layout, fed a results capture over loopback TCP at full speed,
# again and again. Every minute it prints the program's resident memory and
# whether the display window's picture changed since the minute before (the
# running clock keeps it changing while the program draws).
#
#     bench/program-soak.sh BIN SECONDS [CAPTURE]
#
# Without CAPTURE a 20 MB capture is made with make_capture.py. Needs Xvfb
# and ImageMagick's import.
set -eu
bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
seconds=$2
work=$(mktemp -d /tmp/tessaron-soak-XXXXXX)
trap 'kill $feeder $program $xserver 2>/dev/null || true; rm -rf "$work"' EXIT INT TERM
feeder= program= xserver=
capture=${3:-$work/capture.bin}
[ -f "$capture" ] || python3 "$here/make_capture.py" "$capture" 20

port=47320
. "$here/own-display.sh"
results_board_home Soak $port
start_own_display
"$bin/tessaron" --home "$work/home" 2> "$work/errors" &
program=$!
sleep 2
"$bin/tessaron-cli" feed --to "-1,127.0.0.1,$port" --repeat 1000000 "$capture" &
feeder=$!

minute=0
previous=
while [ $minute -lt $((seconds / 60)) ]; do
    sleep 60
    minute=$((minute + 1))
    kill -0 $program 2>/dev/null || { echo "the program ended" >&2; cat "$work/errors" >&2; exit 1; }
    rss=$(awk '/^VmRSS/ {print $2}' /proc/$program/status)
    picture=$(import -window root -crop 1280x720+0+0 +repage ppm:- | md5sum | cut -d' ' -f1)
    drawing=yes
    [ "$picture" != "$previous" ] || drawing=no
    previous=$picture
    echo "minute=$minute vmrss_kb=$rss drawing=$drawing"
done
awk '/^VmHWM/ {print "peak_kb=" $2}' /proc/$program/status
