#!/bin/sh
# Stands in for nec2c (called as: -i DECK -o OUTPUT) and misbehaves as
# CORVANTA_STAND_IN asks.
case "$CORVANTA_STAND_IN" in
slow)
    sleep 0.4
    exec nec2c "$@"
    ;;
hang)
    sleep 987 &
    wait
    ;;
crash)
    kill -SEGV $$
    ;;
fail)
    echo "GW card: the segment count is out of range" >&2
    exit 1
    ;;
garbage)
    echo "not what an engine writes" > "$4"
    ;;
esac
