#!/bin/sh
# The window under Xvfb on generated books: opens the book given on the
# command line, runs the reduction from the menu (keys sent with xdotool),
# accepts the proposed output name and waits for the report viewer. The
# program itself logs the moments and the largest event-loop delay
# (KESTROVA_PROBE). Prints, per book: the time from the save dialog closing
# to the report summary shown, the largest event-loop block from the book
# opened to the window closed, the peak memory and the memory held once the
# report is shown.
# Usage: bench/bench_gui.sh [BUILD_DIR] [POINTINGS...]   (needs xvfb-run, xdotool)
set -e
build=${1:-build}
[ $# -gt 0 ] && shift
sizes=${*:-"100000 1000000"}
for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null || { echo "gui_bench: $tool missing, skipped"; exit 0; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
kestrova=$(cd "$build" && pwd)/kestrova
gen="$build/bench/gen_fieldbook"
shots=${KESTROVA_SHOTS:-}

# wait_mark FILE NAME SECONDS [PID]: waits until the probe logged NAME
# (gives up at once when the process PID has ended).
wait_mark() {
    i=0
    while ! grep -q " $2 " "$1" 2>/dev/null; do
        [ -n "$4" ] && ! kill -0 "$4" 2>/dev/null && { echo "gui_bench: the window has ended" >&2; return 1; }
        i=$((i + 1))
        [ "$i" -gt $(($3 * 10)) ] && { echo "gui_bench: no '$2' after $3 s" >&2; return 1; }
        sleep 0.1
    done
}

# wait_window TITLE SECONDS: waits until a window whose title matches TITLE
# (a regular expression) is shown.
wait_window() {
    i=0
    while ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
        i=$((i + 1))
        [ "$i" -gt $(($2 * 10)) ] && { echo "gui_bench: no window '$1' after $2 s" >&2; return 1; }
        sleep 0.1
    done
}

# One run, inside the X server: $1 book, $2 probe file, $3 screenshot prefix.
cat > "$work/drive.sh" <<'DRIVE'
#!/bin/sh
book=$1 probe=$2 shot=$3 kestrova=$4
. "$5"
KESTROVA_PROBE="$probe" "$kestrova" "$book" >/dev/null 2>&1 &
pid=$!
fail() { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; exit 1; }
wait_mark "$probe" documents-opened 120 "$pid" || fail
sleep 1
# The reduction button of the toolbar (the window is placed alike on every
# run of the same screen; without a window manager Alt does not reach the
# menus).
w=$(xdotool search --onlyvisible --name Kestrova | head -1)
eval "$(xdotool getwindowgeometry --shell "$w")"
xdotool mousemove $((X + 191)) $((Y + 37)) click 1
# Each key waits for its dialog: a Return sent early to the progress dialog
# of the reading would cancel it on a loaded machine.
wait_window "duction\$" 30 || fail  # "Réduction" (regular expressions here are bytes)
sleep 0.3
[ -n "$shot" ] && import -window root "$shot-choice.png" 2>/dev/null || true
xdotool key Return               # reduction choice: Valider
wait_window "choix du nom du fichier Brelix" 300 || fail
sleep 0.3
xdotool key Return               # save dialog: the proposed name
sleep 0.3
[ -n "$shot" ] && import -window root "$shot-progress.png" 2>/dev/null || true
wait_mark "$probe" report-shown 300 "$pid" || fail
sleep 0.3
[ -n "$shot" ] && import -window root "$shot-report.png" 2>/dev/null || true
sleep 2
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
DRIVE
cat > "$work/lib.sh" <<EOF2
$(sed -n '/^wait_mark()/,/^}/p;/^wait_window()/,/^}/p' "$0")
EOF2

printf '%-10s %14s %16s %14s %10s %10s\n' pointings "open s" "summary s" "max block ms" "peak MB" "report MB"
for n in $sizes; do
    dir="$work/run_$n"
    mkdir -p "$dir/ini"
    Kestrova="$dir/ini" "$kestrova" -x none -i x -o y >/dev/null 2>&1 || true  # creates the ini
    book="$dir/book.crt"
    "$gen" "$n" crt "$book" >/dev/null
    probe="$dir/probe.log"
    # A second try when the window did not come up at all (two X servers
    # started at the same moment on a shared machine may take one display).
    ok=
    for attempt in 1 2; do
        rm -f "$probe"
        Kestrova="$dir/ini" xvfb-run -a -s "-screen 0 1280x1024x24" \
            sh "$work/drive.sh" "$book" "$probe" "${shots:+$shots/gui_$n}" "$kestrova" "$work/lib.sh" \
            && { ok=1; break; }
        grep -q " documents-opened " "$probe" 2>/dev/null && break
    done
    [ -n "$ok" ] || { echo "gui_bench: run of $n pointings failed" >&2; cat "$probe" >&2; continue; }
    awk -v n="$n" '
        { t[$2] = $1; split($3, d, "="); split($4, m, "=");
          if ($2 != "start" && d[2] + 0 > block) block = d[2] + 0
          if (m[2] + 0 > mem) mem = m[2] + 0
          if ($2 == "report-shown") { split($5, r, "="); shown = r[2] + 0 } }
        END {
            printf "%-10s %14.2f %16.2f %14d %10.0f %10.0f\n", n, t["documents-opened"] - t["start"],
                   t["report-shown"] - t["output-name-chosen"], block, mem / 1024, shown / 1024
        }' "$probe"
done
