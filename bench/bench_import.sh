#!/bin/sh
# Times "kestrova -x import" on a generated recording of each format (1M
# records by default) next to gsi2xcrt on a GSI recording of as many lines,
# and prints the time per record, the ratio to gsi2xcrt and the peak memory
# (GNU time) against the file size: memory stays flat as the file grows.
# Usage: bench/bench_import.sh [BUILD_DIR] [RECORDS]
set -e
build=${1:-build}
records=${2:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
Kestrova="$work/ini" "$build/kestrova" -x none -i x -o y >/dev/null 2>&1 || true

# run NAME CMD...: prints "seconds peak_KB" of one run.
run() {
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
        cat "$work/time"
    else
        start=$(date +%s.%N)
        "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
        end=$(date +%s.%N)
        awk -v s="$start" -v e="$end" 'BEGIN { printf "%.2f 0\n", e - s }'
    fi
}

"$build/bench/gen_gsi" "$records" "$work/big.gsi"
set -- $(run env Kestrova="$work/ini" "$build/kestrova" -x gsi2xcrt -i "$work/big.gsi" -o "$work/gsi.xcrt")
gsi=$1
echo "gsi2xcrt: $records lignes, $gsi s, $(awk -v t="$gsi" -v n="$records" 'BEGIN { printf "%.2f", t * 1e6 / n }') µs/enregistrement, mémoire $2 Ko"
for format in m5 dini sdr rw5 nikon; do
    "$build/bench/gen_recordings" "$format" "$records" "$work/big.$format"
    out="$work/out.xcrt"
    [ "$format" = dini ] && out="$work/out.na3"
    set -- $(run env Kestrova="$work/ini" "$build/kestrova" -x import -i "$work/big.$format" -o "$out")
    size=$(du -k "$work/big.$format" | cut -f1)
    echo "import $format: $records enregistrements ($size Ko), $1 s," \
         "$(awk -v t="$1" -v n="$records" 'BEGIN { printf "%.2f", t * 1e6 / n }') µs/enregistrement," \
         "$(awk -v t="$1" -v g="$gsi" 'BEGIN { if (g < 0.01) g = 0.01; printf "%.2f", t / g }') x gsi2xcrt," \
         "mémoire $2 Ko"
    rm -f "$work/big.$format" "$out"
done
