#!/bin/sh
# Prepares a program home with one source on the channel SPEC that frames
# what a timing system sends with the example results script; more
# configuration lines may follow.
#
#     tools/source-home.sh HOME SOURCE_NAME SPEC SCRIPT_FOLDER [LINE...]
set -eu
home=$1
name=$2
spec=$3
mkdir -p "$home"
cp "$4/Results.rss" "$home/"
shift 4
{
    cat <<CFG
Registry Version: 1.00
\\Sources\\1\\:=
\\Sources\\1\\Name:String=$name
\\Sources\\1\\Script:String=Results.rss
\\Sources\\1\\SerialPort:String=$spec
\\Sources\\1\\CharMode:Int=0
CFG
    for line in "$@"; do printf "%s\n" "$line"; done
} > "$home/tessaron.cfg"
