#!/bin/sh
# The memory replay: a results capture fed over loopback TCP at full speed,
# again and again, into "tessaron-cli monitor"; the monitor's resident memory
# is sampled every minute.
#
#     bench/replay.sh CLI SECONDS [CAPTURE]
#
# Prints one line a minute (minute, VmRSS in kB) and a last line with the
# monitor's peak memory and the number of lines it wrote. Without CAPTURE a 20 MB capture is
# made with make_capture.py.
set -eu
cli=$1
seconds=$2
work=$(mktemp -d /tmp/tessaron-replay-XXXXXX)
trap 'kill $feeder 2>/dev/null || true; rm -rf "$work"' EXIT INT TERM
feeder=
capture=${3:-$work/capture.bin}
[ -f "$capture" ] || python3 "$(dirname "$0")/make_capture.py" "$capture" 20

port=47300
sh "$(dirname "$0")/../tools/source-home.sh" "$work/home" Replay "-2,127.0.0.1,$port" "$(dirname "$0")/../assets"
export XDG_CONFIG_HOME="$work/config"

mkfifo "$work/out"
wc -l < "$work/out" > "$work/lines" &
counter=$!
"$cli" monitor --home "$work/home" --seconds "$seconds" > "$work/out" &
monitor=$!
sleep 1
"$cli" feed --home "$work/home" --to "-1,127.0.0.1,$port" --repeat 1000000 "$capture" &
feeder=$!

seconds_run=0
peak=0
while kill -0 $monitor 2>/dev/null; do
    sleep 1
    seconds_run=$((seconds_run + 1))
    status=$(cat /proc/$monitor/status 2>/dev/null) || break
    peak=$(echo "$status" | awk '/^VmHWM/ {print $2}')
    [ $((seconds_run % 60)) -eq 0 ] || continue
    echo "minute $((seconds_run / 60)) rss_kB=$(echo "$status" | awk '/^VmRSS/ {print $2}')"
done
wait $monitor
kill $feeder
wait $counter
echo "peak_rss_kB=$peak lines=$(cat "$work/lines")"
