#!/bin/sh
# Kills the program at random moments, again and again, around the saving
# of its configuration at exit, and checks after each kill that the
# configuration is whole: the one from before the run or the one the run
# saved, never a cut or empty file.
#
#     bench/program-kill.sh BIN [ROUNDS]
set -eu
bin=$(cd "$1" && pwd)
rounds=${2:-20}
work=$(mktemp -d /tmp/tessaron-kill-XXXXXX)
trap 'rm -rf "$work"' EXIT INT TERM

sh "$(dirname "$0")/../tools/source-home.sh" "$work/home" Kill "0" "$bin" \
    '\Layout\Open\:=' "\\Layout\\Open\\1:String=$bin/layouts/Results.tly"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
config="$work/home/tessaron.cfg"

round=0
whole=0
while [ $round -lt "$rounds" ]; do
    round=$((round + 1))
    cp "$config" "$work/before"
    QT_QPA_PLATFORM=offscreen "$bin/tessaron" --home "$work/home" --quit-after 1 2>/dev/null &
    program=$!
    # A moment between 0.8 and 1.6 s: around the exit's save.
    sleep "$(awk -v r=$round 'BEGIN { srand(r); printf "%.3f", 0.8 + rand() * 0.8 }')"
    kill -9 $program 2>/dev/null || true
    wait $program 2>/dev/null || true
    if ! "$bin/tessaron-cli" settings --home "$work/home" get '\Layout\Open\1' >/dev/null 2>&1; then
        echo "round $round: the configuration does not read" >&2
        exit 1
    fi
    grep -q 'Results.tly' "$config" || { echo "round $round: the configuration lost its layout" >&2; exit 1; }
    whole=$((whole + 1))
done
left=$(find "$work/home" -maxdepth 1 -name 'tessaron.cfg.*' | wc -l)
echo "rounds=$rounds whole=$whole unfinished_saves_left=$left"
