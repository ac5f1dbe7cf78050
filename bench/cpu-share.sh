#!/bin/sh
# The share of one core a process uses over some seconds, as
# "idle_cpu_percent=N" (the first field of schedstat is its time on a CPU in
# nanoseconds).
#
#     bench/cpu-share.sh PID SECONDS
set -eu
ran0=$(cut -d' ' -f1 /proc/"$1"/schedstat)
t0=$(date +%s%N)
sleep "$2"
ran1=$(cut -d' ' -f1 /proc/"$1"/schedstat)
t1=$(date +%s%N)
awk -v r=$((ran1 - ran0)) -v t=$((t1 - t0)) 'BEGIN { printf "idle_cpu_percent=%.3f\n", 100 * r / t }'
