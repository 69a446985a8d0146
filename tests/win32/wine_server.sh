#!/usr/bin/env bash
# One Wine server for a whole run of the Windows unit tests. Left to itself, Wine's server quits
# a few seconds after its last program ends, and a test starting at that moment dies with
# "wine client error: recvmsg: Connection reset by peer" before its first line runs. So the run
# starts one server (kept for a minute after the last program, in case the run is cut short),
# boots the prefix under it with its output on /dev/null (Wine's own service processes inherit
# it, and would otherwise hold a test's output open), and kills the server at the end.
# usage: wine_server.sh start|stop PREFIX WINE WINESERVER
set -eu
action=$1
export WINEPREFIX=$2 WINELOADER=$3 WINESERVER=$4 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
case $action in
  start)
    mkdir -p "$WINEPREFIX"
    "$WINESERVER" -p60 </dev/null >/dev/null 2>&1
    "$WINELOADER" wineboot -i </dev/null >/dev/null 2>&1
    echo "Wine server ready for $WINEPREFIX" ;;
  stop)
    "$WINESERVER" -k 2>/dev/null || true ;;
  *) echo "usage: $0 start|stop PREFIX WINE WINESERVER" >&2; exit 2 ;;
esac
