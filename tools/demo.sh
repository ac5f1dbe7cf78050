#!/bin/sh
# The built-in demo: a timing system fed by "tessaron-cli feed --demo" sends
# a swim meet over TCP on loopback, and the program shows it: the main
# window with the demo's layouts, and the display window as a 1280 x 720
# window on the desktop. Without a display (neither DISPLAY nor
# WAYLAND_DISPLAY) the program runs on Qt's offscreen platform for 15 seconds
# and leaves the display window's last picture in build/demo-display.png.
# The board is served on the web as well, on loopback.
#
#     tools/demo.sh build/bin
set -eu
bin=$(cd "$1" && pwd)
build=$(dirname "$bin")
home=$build/demo-home
port=47000
web=47080

sh "$(dirname "$0")/source-home.sh" "$home" Pool "-2,127.0.0.1,$port" "$bin" \
    '\Display\Monitor:Int=-1' '\Display\Left:Int=80' '\Display\Top:Int=60' \
    '\Display\Width:Int=1280' '\Display\Height:Int=720' '\Layout\AutoResize:Int=3' \
    '\Layout\Open\:=' "\\Layout\\Open\\1:String=$bin/layouts/Start List.tly" \
    "\\Layout\\Open\\2:String=$bin/layouts/Results.tly" \
    "\\Web\\Port:Int=$web"
cp "$bin"/*.rss "$bin"/*.fnt "$bin"/Logo.tga "$home"/
export XDG_CONFIG_HOME="$home/config"
export XDG_RUNTIME_DIR="$home/run"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

"$bin/tessaron-cli" feed --home "$home" --demo --to "-1,127.0.0.1,$port" &
feeder=$!
trap 'kill $feeder 2>/dev/null || true' EXIT INT TERM

echo "The board on the web: http://127.0.0.1:$web/ (the operator page: http://127.0.0.1:$web/operator)"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Tessaron demo: a simulated swim meet, live; File|Exit ends it"
    "$bin/tessaron" --home "$home"
else
    picture=$build/demo-display.png
    echo "Tessaron demo: no display here, so 15 seconds on Qt's offscreen platform"
    QT_QPA_PLATFORM=offscreen "$bin/tessaron" --home "$home" --quit-after 15 \
        --display-png "$picture"
    echo "The display window's last picture: $picture"
fi
