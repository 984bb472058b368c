#!/bin/sh
# Times "kestrova -x shoot2crt" on generated shot logs of 10^5 and 10^6
# shots (a year of monitoring), reports the growth from one size to the
# next (linear work grows about 10x) and the peak memory against the file
# size (GNU time, else the process's VmHWM from /proc).
# Usage: bench/bench_shoot.sh [BUILD_DIR] [SIZES...]
set -e
build=${1:-build}
[ $# -gt 0 ] && shift
sizes=${*:-"100000 1000000"}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -x "$build/bench/gen_shoot" ] || { echo "missing $build/bench/gen_shoot (build the target gen_shoot)" >&2; exit 1; }
Kestrova="$work/ini" "$build/kestrova" -x none -i x -o y >/dev/null 2>&1 || true

. "$(dirname "$0")/measure.sh"

previous=""
for n in $sizes; do
    "$build/bench/gen_shoot" "$n" "$work/log.shoot"
    size_kb=$(( $(wc -c < "$work/log.shoot") / 1024 ))
    set -- $(peak_run "$build/kestrova" -x shoot2crt -i "$work/log.shoot" -o "$work/log")
    growth=$(awk -v a="$1" -v b="$previous" 'BEGIN { if (b == "" || b == 0) print "-"; else printf "%.1fx", a / b }')
    echo "shoot2crt $n shots: ${size_kb} KB log, $1 s, growth $growth, peak memory $2 KB," \
         "$(wc -l < "$work/log.crt") book lines, $(wc -l < "$work/log.xcrt") XML lines"
    previous=$1
    rm -f "$work"/log.*
done
