#!/bin/sh
# Times "kestrova -x report" (XML reduction report -> HTML page with station
# sketches) on the report of a generated field book (1M pointings by
# default), at two sizes to show the growth, with the peak memory (GNU time,
# else the process's VmHWM read from /proc).
# Usage: bench/bench_report.sh [BUILD_DIR] [POINTINGS]
set -e
build=${1:-build}
big=${2:-1000000}
small=$((big / 10))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
Kestrova="$work/ini" "$build/kestrova" -x none -i x -o y >/dev/null 2>&1 || true

peak_run() {  # prints "seconds peak_KB" of one run of the command
    start=$(date +%s.%N)
    "$@" >/dev/null &
    pid=$!
    peak=0
    while kill -0 "$pid" 2>/dev/null; do
        hwm=$(sed -n 's/^VmHWM:[^0-9]*\([0-9]*\).*/\1/p' "/proc/$pid/status" 2>/dev/null || true)
        [ -n "$hwm" ] && peak=$hwm
        sleep 0.02
    done
    wait "$pid"
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" -v p="$peak" 'BEGIN { printf "%.2f %d\n", e - s, p }'
}

printf '%-10s %10s %10s %10s %10s\n' pointings "xml MB" "html MB" "report s" "peak MB"
for n in $small $big; do
    "$build/bench/gen_fieldbook" "$n" crt "$work/book.crt" >/dev/null
    env Kestrova="$work/ini" "$build/kestrova" -x crt2obs -i "$work/book.crt" -o "$work/out" >/dev/null
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -f "%e %M" -o "$work/t" env Kestrova="$work/ini" "$build/kestrova" -x report \
            -i "$work/out.xml" -o "$work/out.html" >/dev/null
        res=$(tail -n 1 "$work/t")
    else
        res=$(peak_run env Kestrova="$work/ini" "$build/kestrova" -x report -i "$work/out.xml" -o "$work/out.html")
    fi
    set -- $res
    awk -v n="$n" -v x="$(wc -c < "$work/out.xml")" -v h="$(wc -c < "$work/out.html")" -v t="$1" -v m="$2" \
        'BEGIN { printf "%-10s %10.1f %10.1f %10.2f %10.1f\n", n, x / 1e6, h / 1e6, t, m / 1024 }'
    rm -f "$work"/out* "$work/book.crt"
done
