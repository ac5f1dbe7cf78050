#!/bin/sh
# Prepares a program home with one source that listens for a timing system on
# loopback and frames what it sends with the example results script.
#
#     tools/listening-home.sh HOME SOURCE_NAME PORT SCRIPT_FOLDER
set -eu
home=$1
mkdir -p "$home"
cp "$4/Results.rss" "$home/"
cat > "$home/tessaron.cfg" <<CFG
Registry Version: 1.00
\\Sources\\1\\:=
\\Sources\\1\\Name:String=$2
\\Sources\\1\\Script:String=Results.rss
\\Sources\\1\\SerialPort:String=-2,127.0.0.1,$3
\\Sources\\1\\CharMode:Int=0
CFG
