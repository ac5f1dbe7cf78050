#!/bin/sh
# A steady load for "tessaron-cli monitor": a results capture fed in real
# time at a fixed rate, over loopback TCP at 10 MB/s or over a pseudo-terminal
# pair at 115200 baud (11,520 bytes a second).
#
#     bench/load.sh CLI tcp|serial SECONDS [CAPTURE]
#
# Every 5 s prints the bytes waiting in the channel between feeder and
# monitor; at the end the time the feed took against the time its rate
# allows, and the packet and remote lines the monitor wrote against those in
# the capture.
set -eu
cli=$1
kind=$2
seconds=$3
here=$(dirname "$0")
work=$(mktemp -d /tmp/tessaron-load-XXXXXX)
monitor=
feeder=
link=
trap 'kill $feeder $monitor $link 2>/dev/null || true; rm -rf "$work"' EXIT INT TERM

case $kind in
tcp)
    rate=10000000
    port=47500
    spec="-2,127.0.0.1,$port"
    to="-1,127.0.0.1,$port"
    ;;
serial)
    rate=11520
    socat pty,raw,echo=0,link="$work/monitor-side" pty,raw,echo=0,link="$work/feeder-side" &
    link=$!
    sleep 1
    spec="1,115200,8,N,1.0"
    to="1,115200,8,N,1.0"
    ;;
*)
    echo "usage: bench/load.sh CLI tcp|serial SECONDS [CAPTURE]" >&2
    exit 2
    ;;
esac
bytes=$((rate * seconds))
capture=${4:-$work/capture.bin}
if [ ! -f "$capture" ]; then
    megabytes=20
    [ "$bytes" -lt 20000000 ] && megabytes=$(awk -v b="$bytes" 'BEGIN { print b / 1000000 }')
    python3 "$here/make_capture.py" "$capture" "$megabytes"
fi
size=$(stat -c %s "$capture")
repeat=$(((bytes + size - 1) / size))
stats=$("$cli" frame --stats --quiet "$here/../assets/Results.rss" "$capture" 2>&1)
per_copy=$(echo "$stats" | sed 's/.*"packets":\([0-9]*\),"remote":\([0-9]*\).*/\1 \2/' |
    awk '{ print $1 + $2 }')

sh "$here/../tools/source-home.sh" "$work/home" Load "$spec" "$here/../assets" \
    "\\SerialPort\\Devices\\1:String,1=$work/monitor-side"
mkdir -p "$work/feeder"
cp "$work/home/tessaron.cfg" "$work/feeder/"
sed -i "s|monitor-side|feeder-side|" "$work/feeder/tessaron.cfg"
export XDG_CONFIG_HOME="$work/config"

mkfifo "$work/out"
grep -c -e "\"packet\":" -e "\"remote\":" < "$work/out" > "$work/lines" &
counter=$!
"$cli" monitor --home "$work/home" > "$work/out" &
monitor=$!
sleep 1
start=$(date +%s%N)
"$cli" feed --home "$work/feeder" --to "$to" --rate "$rate" --repeat "$repeat" "$capture" &
feeder=$!

while kill -0 $feeder 2>/dev/null; do
    sleep 5
    if [ "$kind" = tcp ]; then
        waiting=$(ss -tnH "sport = :$port or dport = :$port" | awk '{ s += $2 + $3 } END { print s + 0 }')
    else
        waiting=$(python3 -c "
import fcntl, os, struct, termios
fd = os.open('$work/monitor-side', os.O_RDONLY | os.O_NONBLOCK | os.O_NOCTTY)
print(struct.unpack('i', fcntl.ioctl(fd, termios.FIONREAD, b'0000'))[0])")
    fi
    echo "waiting_bytes=$waiting"
done
wait $feeder || true
end=$(date +%s%N)
feeder=
sleep 2
kill $monitor
wait $monitor || true
monitor=
wait $counter || true
awk -v took=$((end - start)) -v bytes=$((size * repeat)) -v rate=$rate \
    -v lines="$(cat "$work/lines")" -v expected=$((per_copy * repeat)) 'BEGIN {
    printf "fed_bytes=%d seconds=%.1f allowed_seconds=%.1f lines=%d expected_lines=%d\n",
        bytes, took / 1e9, bytes / rate, lines, expected }'
