#!/bin/sh
# The program's latency to the pixels on a real X server: runs
# bench_ProgramLatency RUNS times (default 5) on an Xvfb of its own and
# prints for each run the 50th and 99th percentiles, in microseconds, from a
# packet's last byte to the changed pixels reported by the X server, for the
# plain 1 ms loop, the sleeping loop and a bare X client that puts a
# rectangle of the same size on the same server.
#
#     bench/program-latency.sh BIN [RUNS]
#
# BIN is the bin folder of a build with TESSARON_BENCH=ON. Needs Xvfb.
set -eu
bin=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
runs=${2:-5}
work=$(mktemp -d /tmp/tessaron-program-latency-XXXXXX)
xserver=
trap 'kill $xserver 2>/dev/null || true; rm -rf "$work"' EXIT INT TERM
. "$here/own-display.sh"
start_own_display
printf '%-4s %-10s %9s %9s\n' run loop p50_us p99_us
run=1
while [ $run -le "$runs" ]; do
    "$bin/bench_ProgramLatency" --benchmark_format=csv 2> /dev/null |
        awk -F, -v run=$run '
            /BM_ProgramLatency\/0/ { name = "plain_1ms" }
            /BM_ProgramLatency\/1/ { name = "sleeping" }
            /BM_BareClient/ { name = "bare_x" }
            /^"BM_/ { printf "%-4s %-10s %9.0f %9.0f\n", run, name, $(NF - 1), $NF }'
    run=$((run + 1))
done
