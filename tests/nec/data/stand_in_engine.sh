#!/bin/sh
# Stands in for nec2c (called as: -i DECK -o OUTPUT) and misbehaves as
# CORVANTA_STAND_IN asks.
case "$CORVANTA_STAND_IN" in
ready)
    # A run to its end as quick as the engine: for tests that need results.
    exec nec2c "$@"
    ;;
slow)
    # A run that lasts long enough to act while it goes: a check runs the
    # engine some twenty times, so it takes seconds.
    sleep 0.1
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
