#!/bin/sh
# Idle load: "tessaron-cli monitor" with one TCP source that a silent timing
# system has connected to; prints the share of one core the monitor used.
#
#     bench/idle.sh CLI [SECONDS]
set -eu
cli=$1
seconds=${2:-20}
work=$(mktemp -d /tmp/tessaron-idle-XXXXXX)
trap 'kill $peer 2>/dev/null || true; rm -rf "$work"' EXIT INT TERM
peer=

port=47400
sh "$(dirname "$0")/../tools/source-home.sh" "$work/home" Idle "-2,127.0.0.1,$port" "$(dirname "$0")/../assets"
export XDG_CONFIG_HOME="$work/config"

"$cli" monitor --home "$work/home" --seconds $((seconds + 3)) > "$work/lines" &
monitor=$!
sleep 0.5
sh "$(dirname "$0")/silent-peer.sh" $port $((seconds + 5)) &
peer=$!
sleep 1.5
share=$(sh "$(dirname "$0")/cpu-share.sh" $monitor "$seconds")
wait $monitor
grep -q '"status":"Running"' "$work/lines" || { echo "the peer never connected" >&2; exit 1; }
echo "$share"
