#!/bin/sh
# Times gdm2crt, gdm2xcrt and crt2xcrt on generated inputs of about 100 MB
# (a GDM job of repeated station and target blocks; a text book from
# gen_fieldbook) and prints, per command, the time, the peak memory (GNU
# time, else the process's VmHWM from /proc) and its ratio to the input.
# Usage: bench/bench_conversions.sh [BUILD_DIR] [MEGABYTES]
set -e
build=${1:-build}
megabytes=${2:-100}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -x "$build/bench/gen_fieldbook" ] || { echo "missing $build/bench/gen_fieldbook" >&2; exit 1; }
Kestrova="$work/ini" "$build/kestrova" -x none -i x -o y >/dev/null 2>&1 || true

. "$(dirname "$0")/measure.sh"

# row COMMAND IN OUT: one line of the table.
row() {
    bytes=$(wc -c < "$2")
    set -- "$1" "$2" "$3" $(peak_run "$build/kestrova" -x "$1" -i "$2" -o "$3")
    awk -v c="$1" -v b="$bytes" -v t="$4" -v k="$5" \
        'BEGIN { printf "%-9s %8.1f %8.2f %8.1f %6.2fx\n", c, b / 1e6, t, k / 1024.0, k * 1024.0 / b }'
    rm -f "$3"
}

# A GDM job: stations of 20 targets, each target a block of 7 records.
awk -v limit=$((megabytes * 1000000)) 'BEGIN {
    print "0=Job de banc"; print "56=18"; print "74=1008.5"; bytes = 0; s = 0
    while (bytes < limit) {
        s++; line = "2=ST" s; print line; print "3=1.542"; bytes += length(line) + 10
        for (t = 1; t <= 20; t++) {
            printf "5=P%d\n4=BORNE\n6=1.600\n7=%.4f\n8=%.4f\n9=%.4f\n37=5123.456\n", t, (t * 17.3) % 400,
                   99 + t / 100, 20 + t * 3.1
            bytes += 70
        }
    }
}' > "$work/job.gdm"
# A text book of about the same size (about 105 bytes a pointing).
"$build/bench/gen_fieldbook" $((megabytes * 9500)) crt "$work/book.crt" >/dev/null

printf '%-9s %8s %8s %8s %7s\n' command "input MB" "time s" "peak MB" "x input"
row gdm2crt "$work/job.gdm" "$work/job.carnet"
row gdm2xcrt "$work/job.gdm" "$work/job.xcrt"
row crt2xcrt "$work/book.crt" "$work/book.xcrt"
