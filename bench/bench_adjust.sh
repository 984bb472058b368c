#!/bin/sh
# Times "kestrova -x adjust" end to end on a generated network (1 000 points,
# 10 000 observations by default): the whole command, the part spent in
# gama-local (every run of it timed through a wrapper), the rest being
# Kestrova's (reading, GNU Gama input, reading the results, report), and the
# peak memory of each.
# Usage: bench/bench_adjust.sh [BUILD_DIR] [POINTS]
set -e
build=$(cd "${1:-build}" && pwd)
points=${2:-1000}
gama=${GAMA_LOCAL:-$(command -v gama-local 2>/dev/null || true)}
if [ -z "$gama" ] || [ ! -x "$gama" ]; then
    echo "gama-local absent (ni GAMA_LOCAL ni PATH) : banc d'ajustement non exécuté"
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/gen_network" "$work/reseau" "$points"
# Every run of gama-local: its wall time and peak memory appended to a log.
cat > "$work/gama-local" <<WRAP
#!/bin/sh
exec /usr/bin/time -a -o "$work/gama.log" -f "%e %M" "$gama" "\$@"
WRAP
chmod +x "$work/gama-local"
mkdir -p "$work/ini"
Kestrova="$work/ini" "$build/kestrova" -x none -i x -o y >/dev/null 2>&1 || true
# Kestrova's own peak memory: its VmHWM read from /proc while it runs (GNU
# time would report gama-local's, the largest of the process tree).
start=$(date +%s.%N)
Kestrova="$work/ini" GAMA_LOCAL="$work/gama-local" \
    "$build/kestrova" -x adjust -i "$work/reseau.obs" -c "$work/reseau.cor" -o "$work/res" > "$work/out.txt" &
pid=$!
peak=0
while kill -0 "$pid" 2>/dev/null; do
    hwm=$(sed -n 's/^VmHWM:[^0-9]*\([0-9]*\).*/\1/p' "/proc/$pid/status" 2>/dev/null || true)
    [ -n "$hwm" ] && peak=$hwm
    sleep 0.05
done
wait "$pid"
end=$(date +%s.%N)
grep -E "^(Ajustement|Écart|Fautes|plus grand)" "$work/out.txt"
awk -v s="$start" -v e="$end" -v peak="$peak" '
    { runs++; gs += $1; if ($2 > gm) gm = $2 }
    END {
        printf "gama-local : %d exécutions (--version et les passes), %.2f s, mémoire maximale %.1f Mo\n", runs, gs, gm / 1024
        printf "Kestrova   : %.2f s (commande entière %.2f s), mémoire maximale %.1f Mo\n", e - s - gs, e - s, peak / 1024
    }' "$work/gama.log"
ls -l "$work"/res* | awk '{ printf "%10d %s\n", $5, $NF }' | sed "s:$work/::"
