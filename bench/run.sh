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

# measure OUTPUT_FILE CMD...: runs the command once, writes
# "<elapsed seconds> <peak resident KB>" to OUTPUT_FILE.
measure() {
    out=$1
    shift
    python3 - "$out" "$@" <<'PY'
import resource, subprocess, sys, time
out, cmd = sys.argv[1], sys.argv[2:]
t0 = time.perf_counter()
rc = subprocess.call(cmd, stdout=subprocess.DEVNULL)
elapsed = time.perf_counter() - t0
peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss  # KB on Linux
if rc != 0:
    sys.exit("command failed (%d): %s" % (rc, " ".join(cmd)))
open(out, "w").write("%.4f %d\n" % (elapsed, peak))
PY
}

printf '%-10s %10s %10s %10s %8s %8s %12s %8s\n' pointings "file MB" "wc -l s" "crt2obs s" ratio growth "peak MB" "mem/file"
previous=""
for n in $sizes; do
    book="$work/book_$n.crt"
    "$gen" "$n" crt "$book" >/dev/null
    bytes=$(wc -c < "$book")
    cat "$book" > /dev/null  # warm the page cache for both timings
    measure "$work/wc" wc -l "$book"
    measure "$work/k" env Kestrova="$work/ini" "$kestrova" -x crt2obs -i "$book" -o "$work/out_$n"
    read -r wc_s wc_kb < "$work/wc"
    read -r k_s k_kb < "$work/k"
    python3 - "$n" "$bytes" "$wc_s" "$k_s" "$k_kb" "$previous" <<'PY'
import sys
n, size, wc_s, k_s, kb, prev = sys.argv[1:]
size, wc_s, k_s, kb = int(size), float(wc_s), float(k_s), int(kb)
growth = "%.1fx" % (k_s / float(prev)) if prev else "-"
print("%-10s %10.1f %10.3f %10.3f %7.1fx %8s %12.1f %7.2fx" % (
    n, size / 1e6, wc_s, k_s, k_s / max(wc_s, 1e-4), growth, kb / 1024.0, kb * 1024.0 / size))
PY
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
