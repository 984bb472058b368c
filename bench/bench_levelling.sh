#!/bin/sh
# Times "kestrova -x na32obs" on generated levelling books of 10k, 100k and
# 1M readings (turning points eliminated, .obs/.iob/.gkf written) and
# "kestrova -x gsi2na3" on the GSI16 double-reading recordings of the same
# surveys (both must give the same .obs); prints the time, the growth from one size to the next (linear
# work grows about 10x) and the peak memory against the file size.
# Usage: bench/bench_levelling.sh [BUILD_DIR] [SIZES...]
set -e
build=${1:-build}
[ $# -gt 0 ] && shift
sizes=${*:-"10000 100000 1000000"}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
gen="$build/bench/gen_levelling"
kestrova="$build/kestrova"
[ -x "$gen" ] || { echo "missing $gen (build the target gen_levelling)" >&2; exit 1; }
Kestrova="$work/ini" "$kestrova" -x none -i x -o y >/dev/null 2>&1 || true

. "$(dirname "$0")/measure.sh"

printf "%-9s %-8s %9s %8s %11s %9s %8s %11s\n" readings book_MB na32obs_s growth peak_MB gsi_MB gsi2na3_s peak_MB
prev=""
for n in $sizes; do
    "$gen" "$n" "$work/b.na3" "$work/r.gsi"
    set -- $(peak_run "$kestrova" -x na32obs -i "$work/b.na3" -o "$work/out")
    t=$1; m=$2
    set -- $(peak_run "$kestrova" -x gsi2na3 -i "$work/r.gsi" -o "$work/conv.na3")
    tg=$1; mg=$2
    # The converted recording reduces to the same differences as the book.
    Kestrova="$work/ini" "$kestrova" -x na32obs -i "$work/conv.na3" -o "$work/out2" >/dev/null 2>&1
    cmp -s "$work/out.obs" "$work/out2.obs" || echo "the recording and the book give different .obs files" >&2
    growth=$(awk -v a="$t" -v b="$prev" 'BEGIN { if (b == "" || b == 0) print "-"; else printf "x%.1f", a / b }')
    awk -v n="$n" -v sz="$(stat -c %s "$work/b.na3")" -v t="$t" -v g="$growth" -v m="$m" \
        -v gs="$(stat -c %s "$work/r.gsi")" -v tg="$tg" -v mg="$mg" \
        'BEGIN { printf "%-9d %-8.1f %9.2f %8s %11.1f %9.1f %8.2f %11.1f\n", n, sz / 1048576, t, g, m / 1024, gs / 1048576, tg, mg / 1024 }'
    prev=$t
    rm -f "$work"/out.* "$work"/out2.* "$work/conv.na3"
done
