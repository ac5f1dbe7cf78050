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
seconds=$2
work=$(mktemp -d /tmp/tessaron-soak-XXXXXX)
trap 'kill $feeder $program $xserver 2>/dev/null || true; rm -rf "$work"' EXIT INT TERM
feeder= program= xserver=
capture=${3:-$work/capture.bin}
[ -f "$capture" ] || python3 "$(dirname "$0")/make_capture.py" "$capture" 20

port=47320
sh "$(dirname "$0")/../tools/source-home.sh" "$work/home" Soak "-2,127.0.0.1,$port" "$bin" \
    '\Display\Monitor:Int=-1' '\Display\Width:Int=1280' '\Display\Height:Int=720' \
    '\General\MainWindow\Left:Int=0' '\General\MainWindow\Top:Int=740' \
    '\General\MainWindow\Width:Int=800' '\General\MainWindow\Height:Int=300' \
    '\General\MainWindow\Maximized:Int=0' \
    '\Layout\Open\:=' "\\Layout\\Open\\1:String=$bin/layouts/Results.tly"
cp "$bin"/*.fnt "$bin"/Logo.tga "$work/home/"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

Xvfb -displayfd 3 -screen 0 1280x1080x24 -nolisten tcp 3> "$work/display" 2>/dev/null &
xserver=$!
sleep 1
export DISPLAY=":$(cat "$work/display")"
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
