#!/bin/sh
# Times "kestrova -x crt2obs" on generated text field books of 10k, 100k and
# 1M pointings next to an awk one-liner on the same file (CPU) and cat
# copying the input and the outputs (wall), and reports the ratios and the
# peak memory against the file size. Then a table of every console command
# on a generated input of its kind of about 100 MB (KESTROVA_BENCH_MB sets
# the size): time, peak memory and the peak's ratio to the input. Then runs
# the other bench_*.sh scripts (bench_gui.sh: the window under Xvfb).
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

# cpu_wall_kb CMD...: "user+sys wall peak_kb" of one run (GNU time), or
# "- wall -" without it. The wall time is taken as for cat, with `date`:
# GNU time's own figure is cut to hundredths of a second.
cpu_wall_kb() {
    if [ -x /usr/bin/time ]; then
        start=$(date +%s.%N)
        /usr/bin/time -f "%U %S %M" -o "$work/t" "$@" >/dev/null || { echo "command failed: $*" >&2; exit 1; }
        end=$(date +%s.%N)
        awk -v s="$start" -v e="$end" '{ printf "%.3f %.4f %d\n", $1 + $2, e - s, $3 }' "$work/t"
    else
        echo "- $(elapsed "$@") -"
    fi
}

# Targets of a book of n pointings: crt2obs CPU time at most 4x the awk
# one-liner summing a column of the same file, wall time at most 2x the
# time cat takes to copy the input and the six outputs, peak memory at most
# 4x the book.
printf '%-9s %7s %8s %8s %6s %8s %8s %6s %8s %6s\n' pointings "book MB" "awk cpu" "cpu s" "x awk" "cat s" "wall s" "x cat" "peak MB" "x book"
for n in $sizes; do
    book="$work/book_$n.crt"
    "$gen" "$n" crt "$book" >/dev/null
    bytes=$(wc -c < "$book")
    cat "$book" > /dev/null  # warm the page cache
    # Three rounds of the three commands one after the other, so that the
    # references and crt2obs meet the same state of the machine; each keeps
    # its best run: the system time of writing into the page cache varies by
    # a factor of several from one run to the next on a virtual machine
    # (freshly touched memory is slow), for cat as for us. Each crt2obs run
    # writes new files, as the first one does (no earlier outputs to
    # replace).
    r=$(for i in 1 2 3; do
            awk_cpu=$(cpu_wall_kb awk '$1=="numero"{s+=$4}' "$book" | cut -d' ' -f1)
            rm -f "$work"/out_"$n"*
            sync
            run=$(cpu_wall_kb env Kestrova="$work/ini" "$kestrova" -x crt2obs -i "$book" -o "$work/out_$n")
            sync
            cat_s=$(elapsed sh -c "cat '$book' '$work'/out_$n* > '$work/copy_$n'")
            rm -f "$work/copy_$n"
            sync
            echo "$awk_cpu $run $cat_s"
        done | awk 'NR == 1 || $1 < a { a = $1 } NR == 1 || $2 < c { c = $2 } NR == 1 || $3 < w { w = $3 }
                    NR == 1 || $4 > k { k = $4 } NR == 1 || $5 < t { t = $5 } END { print a, c, w, k, t }')
    echo "$r" | awk -v n="$n" -v size="$bytes" '{
        awk_cpu = $1; cpu = $2; wall = $3; kb = $4; cat_s = $5
        # GNU time counts CPU time in hundredths: below a few of them the
        # ratio to awk means nothing and is not printed.
        x_awk = awk_cpu >= 0.05 ? sprintf("%5.2fx", cpu / awk_cpu) : "     -"
        printf "%-9s %7.1f %8.3f %8.3f %6s %8.3f %8.3f %5.2fx %8.1f %5.2fx\n", n, size / 1e6, awk_cpu, cpu,
               x_awk, cat_s, wall, wall / (cat_s > 1e-3 ? cat_s : 1e-3), kb / 1024.0, kb * 1024.0 / size
    }'
    rm -f "$book" "$work"/out_"$n"*
done

# Every console command on about $bench_mb MB of its input: one function
# row_NAME per command (its input generated, then `row`), run in the order
# of `rows`. A command's row is added as a function and its name in rows.
bench_mb=${KESTROVA_BENCH_MB:-100}

# sized GEN OUT: OUT made by the generator function GEN (count, output) at
# about $bench_mb MB, the count scaled from a sample of 10 000.
sized() {
    "$1" 10000 "$2"
    probe=$(wc -c < "$2")
    "$1" "$(awk -v b="$probe" -v mb="$bench_mb" 'BEGIN { printf "%d", 10000 * mb * 1e6 / b + 1 }')" "$2"
}
gen_crt() { "$build/bench/gen_fieldbook" "$1" crt "$2" >/dev/null; }
gen_gsi() { "$build/bench/gen_gsi" "$1" "$2" >/dev/null; }
gen_na3() { "$build/bench/gen_levelling" "$1" "$2" >/dev/null; }
gen_level_gsi() { "$build/bench/gen_levelling" "$1" "$work/b_level.na3" "$2" >/dev/null; }
gen_shoot() { "$build/bench/gen_shoot" "$1" "$2" >/dev/null; }

# row CMD INPUT ARGS...: one run of "kestrova -x CMD -i INPUT ARGS", one
# line of the table.
row() {
    cmd=$1
    input=$2
    shift 2
    bytes=$(wc -c < "$input")
    cat "$input" > /dev/null  # warm the page cache
    cpu_wall_kb env Kestrova="$work/ini" "$kestrova" -x "$cmd" -i "$input" "$@" 2>"$work/b_err" |
        awk -v c="$cmd" -v size="$bytes" '{ printf "%-10s %8.1f %8.3f %8.1f %6.2fx\n", c, size / 1e6, $2, $3 / 1024.0,
                                            $3 * 1024.0 / size }'
}

row_crt2obs() { sized gen_crt "$work/b_in.crt"; row crt2obs "$work/b_in.crt" -o "$work/b_out"; }
row_reduce() { sized gen_crt "$work/b_in.crt"; row reduce "$work/b_in.crt" -o "$work/b_out"; }
row_rename() { sized gen_crt "$work/b_in.crt"; row rename "$work/b_in.crt" --from S1001 --to S1001A; }
row_report() {
    sized gen_crt "$work/b_in.crt"
    Kestrova="$work/ini" "$kestrova" -x crt2obs -i "$work/b_in.crt" -o "$work/b_rep" >/dev/null 2>&1
    row report "$work/b_rep.xml" -o "$work/b_rep.html"
}
row_gsi2xcrt() { sized gen_gsi "$work/b_in.gsi"; row gsi2xcrt "$work/b_in.gsi" -o "$work/b_out.xcrt"; }
row_gsi2crt() { sized gen_gsi "$work/b_in.gsi"; row gsi2crt "$work/b_in.gsi" -o "$work/b_out.carnet"; }
row_gsi2na3() { sized gen_level_gsi "$work/b_in_level.gsi"; row gsi2na3 "$work/b_in_level.gsi" -o "$work/b_out.na3"; }
row_na32obs() { sized gen_na3 "$work/b_in.na3"; row na32obs "$work/b_in.na3" -o "$work/b_out"; }
row_shoot2crt() { sized gen_shoot "$work/b_in.shoot"; row shoot2crt "$work/b_in.shoot" -o "$work/b_out"; }
rows="crt2obs reduce rename report gsi2xcrt gsi2crt gsi2na3 na32obs shoot2crt"

echo
printf '%-10s %8s %8s %8s %7s\n' command "input MB" "wall s" "peak MB" "x input"
for name in $rows; do
    "row_$name" || echo "$name: failed" >&2
    rm -rf "$work"/b_* "$work"/.b_*
done

# The benchmarks of the other console commands.
for script in "$(dirname "$0")"/bench_*.sh; do
    [ -f "$script" ] || continue
    echo
    echo "== $(basename "$script")"
    sh "$script" "$build"
done
