#!/bin/sh
# The built-in demo: a timing system fed by "tessaron-cli feed --demo" sends
# a swim meet over TCP on loopback; "tessaron-cli monitor" runs the sources
# of a demo home and prints every packet, remote command and status change.
set -eu
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
bin=$(dirname "$cli")
home=$(dirname "$bin")/demo-home
port=47000

sh "$(dirname "$0")/source-home.sh" "$home" Pool "-2,127.0.0.1,$port" "$bin"
cp "$bin"/*.rss "$home"/
export XDG_CONFIG_HOME="$home/config"

"$cli" feed --home "$home" --demo --to "-1,127.0.0.1,$port" &
feeder=$!
trap 'kill $feeder 2>/dev/null || true' EXIT INT TERM
echo "Tessaron demo: 15 seconds of live packets from a simulated swim meet"
"$cli" monitor --home "$home" --seconds 15
