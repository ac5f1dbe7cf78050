#!/bin/sh
# Idle load of the program: "tessaron" on Qt's offscreen platform with the
# display window showing a layout and one TCP source that a silent timing
# system has connected to; prints the share of one core the program used.
# -plainpause as a third argument measures the loop's plain 1 ms pause
# instead of the pause that wakes on input.
#
#     bench/program-idle.sh BIN [SECONDS] [-plainpause]
set -eu
bin=$(cd "$1" && pwd)
seconds=${2:-20}
pause=${3:-}
work=$(mktemp -d /tmp/tessaron-program-idle-XXXXXX)
trap 'kill $peer $program 2>/dev/null || true; rm -rf "$work"' EXIT INT TERM
peer=
program=

port=47410
sh "$(dirname "$0")/../tools/source-home.sh" "$work/home" Idle "-2,127.0.0.1,$port" "$bin" \
    '\Layout\Open\:=' "\\Layout\\Open\\1:String=$bin/layouts/Results.tly"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

QT_QPA_PLATFORM=offscreen "$bin/tessaron" --home "$work/home" $pause 2>/dev/null &
program=$!
sleep 1
sh "$(dirname "$0")/silent-peer.sh" $port $((seconds + 5)) &
peer=$!
sleep 1.5
sh "$(dirname "$0")/cpu-share.sh" $program "$seconds"
