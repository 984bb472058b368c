#!/bin/sh
# Times "kestrova -x gsi2xcrt" on a generated GSI recording (1M lines by
# default) and reports the peak memory when GNU time is installed.
# Usage: bench/bench_gsi.sh [BUILD_DIR] [LINES]
set -e
build=${1:-build}
lines=${2:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/gen_gsi" "$lines" "$work/big.gsi"
echo "GSI recording: $lines lines, $(du -h "$work/big.gsi" | cut -f1)"
# A first run creates the ini, so that the timed run does only the work.
Kestrova="$work/ini" "$build/kestrova" -x none -i x -o y >/dev/null 2>&1 || true
set -- env Kestrova="$work/ini" "$build/kestrova" -x gsi2xcrt -i "$work/big.gsi" -o "$work/big.xcrt"
if [ -x /usr/bin/time ]; then
    /usr/bin/time -f "gsi2xcrt: %e s elapsed, %U s user, peak memory %M KB" "$@" >/dev/null
else
    start=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" 'BEGIN { printf "gsi2xcrt: %.2f s elapsed\n", e - s }'
fi
echo "XML book: $(du -h "$work/big.xcrt" | cut -f1), $(wc -l < "$work/big.xcrt") lines"
