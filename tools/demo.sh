#!/bin/sh
# The built-in demo: a few timing values through field process texts, the way
# a source script formats what a timing system sends.
set -eu
cli=$1

show() {
    process=$1
    shift
    printf '  %-22s' "$process"
    for v in "$@"; do printf ' %-10s' "$v"; done
    printf '\n  %-22s' '  ->'
    "$cli" process --process "$process" "$@" | while IFS= read -r line; do printf ' %-10s' "[$line]"; done
    printf '\n\n'
}

echo "Tessaron field processor demo: process text, raw values, and what is shown"
echo
show '%.2s:%.2s' 0930 1245
show '%.1s:%.2s.%.2s' 15923 05317
show '%-12s|' Lane4 Lane5
show '%8s' 12.34 1:02.56
show '%s\L0\P0' '   Smith   ' '  Jones'
show '%s\+9\X3\U2\O9' 'heat ' 'heat ' 'heat '
show '%s\L0\X6\I0' 7 42
