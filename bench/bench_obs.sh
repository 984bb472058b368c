#!/bin/sh
# Times the converters of observation files on generated inputs of about
# 100 MB (or the size given): obs2gkf, obs2iob, renorm on a reduced network,
# obs2tri on Brelix height differences, iob2tri and iob2obs on Geolab ones.
# Prints the time, the peak memory and its ratio to the input (the target:
# at most 4x, at most 1x for the commands that stream in one pass).
# Usage: bench/bench_obs.sh [BUILD_DIR] [MB]
set -e
build=${1:-build}
mb=${2:-100}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
gen="$build/bench/gen_obs"
kestrova="$build/kestrova"
[ -x "$gen" ] || { echo "missing $gen (build the target gen_obs)" >&2; exit 1; }
mkdir -p "$work/ini"
printf '[parametres_renormalisation]\r\nrenormalisation=Y\r\nAH_add=0.0003\r\nDp_add=0.0010\r\nDp_mult=2.0000\r\n' \
    > "$work/ini/Kestrova.ini"

. "$(dirname "$0")/measure.sh"

# row COMMAND INPUT [OPTIONS...]: one line of the table.
row() {
    command=$1 input=$2
    shift 2
    set -- $(peak_run "$kestrova" -x "$command" -i "$input" -o "$work/out" "$@")
    awk -v c="$command" -v sz="$(stat -c %s "$input")" -v t="$1" -v m="$2" \
        'BEGIN { printf "%-8s %9.1f %8.2f %9.1f %7.2fx\n", c, sz / 1e6, t, m / 1024, m * 1024 / sz }'
    rm -f "$work"/out*
}

"$gen" "$mb" obs "$work/net.obs" "$work/net.cor" >/dev/null
"$gen" "$mb" niv-obs "$work/niv.obs" >/dev/null
"$gen" "$mb" niv-iob "$work/niv.iob" >/dev/null
printf "%-8s %9s %8s %9s %8s\n" command input_MB time_s peak_MB x_input
row obs2gkf "$work/net.obs" -c "$work/net.cor"
row obs2iob "$work/net.obs"
row renorm "$work/net.obs"
row obs2tri "$work/niv.obs"
row iob2tri "$work/niv.iob"
row iob2obs "$work/niv.iob"
