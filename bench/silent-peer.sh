#!/bin/sh
# A timing peer that connects to a port of 127.0.0.1 and then says nothing
# for some seconds: the idle measurements' one connected, silent source.
#
#     bench/silent-peer.sh PORT SECONDS
set -eu
exec python3 -c "
import socket, time
s = socket.create_connection(('127.0.0.1', $1))
time.sleep($2)"
