#!/bin/sh
# Times "kestrova -x crt2obs" on generated text field books of 10k, 100k and
# 1M pointings next to "wc -l" on the same files, and reports the ratio, the
# growth from one size to the next (linear work grows about 10x) and the
# peak memory against the file size. Then runs the other bench_*.sh scripts.
# Usage: bench/run.sh [BUILD_DIR] [SIZES...]
set -e
build=${1:-build}
[ $# -gt 0 ] && shift
sizes=${*:-"10000 100000 1000000"}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

gen="$build/bench/gen_fieldbook"
kestrova="$build/kestrova"
[ -x "$gen" ] || { echo "missing $gen (build the target gen_fieldbook)" >&2; exit 1; }
[ -x "$kestrova" ] || { echo "missing $kestrova" >&2; exit 1; }

# A first run creates the ini, so that the timed runs do only the work.
Kestrova="$work/ini" "$kestrova" -x none -i x -o y >/dev/null 2>&1 || true

# elapsed CMD...: runs the command once and prints the seconds it took
# (process start included, as for any command a user runs).
elapsed() {
    start=$(date +%s.%N)
    "$@" >/dev/null || { echo "command failed: $*" >&2; exit 1; }
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" 'BEGIN { t = e - s; if (t < 0.0001) t = 0.0001; printf "%.4f\n", t }'
}

# fastest CMD...: the shortest of three runs (for the short wc -l runs,
# where a single timing is mostly noise).
fastest() {
    best=""
    for _ in 1 2 3; do
        t=$(elapsed "$@")
        best=$(awk -v a="$t" -v b="$best" 'BEGIN { print (b == "" || a < b) ? a : b }')
    done
    echo "$best"
}

# peak_kb CMD...: runs the command once more and prints its peak resident
# memory in KB: exact with GNU time, else the process's own high-water mark
# (VmHWM) read from /proc until it exits. Needs nothing but sh, sed and awk.
peak_kb() {
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -f "%M" -o "$work/mem" "$@" >/dev/null || { echo "command failed: $*" >&2; exit 1; }
        tail -n 1 "$work/mem"
        return
    fi
    "$@" >/dev/null &
    pid=$!
    peak=0
    while kill -0 "$pid" 2>/dev/null; do
        hwm=$(sed -n 's/^VmHWM:[^0-9]*\([0-9]*\).*/\1/p' "/proc/$pid/status" 2>/dev/null || true)
        [ -n "$hwm" ] && peak=$hwm
        sleep 0.01
    done
    wait "$pid" || { echo "command failed: $*" >&2; exit 1; }
    echo "$peak"
}

printf '%-10s %10s %10s %10s %8s %8s %12s %8s\n' pointings "file MB" "wc -l s" "crt2obs s" ratio growth "peak MB" "mem/file"
previous=""
for n in $sizes; do
    book="$work/book_$n.crt"
    "$gen" "$n" crt "$book" >/dev/null
    bytes=$(wc -c < "$book")
    cat "$book" > /dev/null  # warm the page cache for both timings
    wc_s=$(fastest wc -l "$book")
    set -- env Kestrova="$work/ini" "$kestrova" -x crt2obs -i "$book" -o "$work/out_$n"
    k_s=$(elapsed "$@")
    k_kb=$(peak_kb "$@")
    awk -v n="$n" -v size="$bytes" -v wc_s="$wc_s" -v k_s="$k_s" -v kb="$k_kb" -v prev="$previous" 'BEGIN {
        growth = (prev == "") ? "-" : sprintf("%.1fx", k_s / prev)
        printf "%-10s %10.1f %10.3f %10.3f %7.1fx %8s %12.1f %7.2fx\n", n, size / 1e6, wc_s, k_s,
               k_s / (wc_s > 1e-4 ? wc_s : 1e-4), growth, kb / 1024.0, kb * 1024.0 / size
    }'
    previous=$k_s
    rm -f "$book" "$work"/out_"$n"*
done

# The benchmarks of the other console commands.
for script in "$(dirname "$0")"/bench_*.sh; do
    [ -f "$script" ] || continue
    echo
    echo "== $(basename "$script")"
    sh "$script" "$build"
done
