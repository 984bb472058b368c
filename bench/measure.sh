# Sourced by the bench scripts. peak_run CMD...: runs the command once with
# the bench's ini folder ($work/ini) and prints "seconds peak_kb": GNU time
# when it is there, else the wall clock and the process's VmHWM from /proc.
# Stops the script, showing the command's errors, when it fails.
peak_run() {
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -f "%e %M" -o "$work/t" env Kestrova="$work/ini" "$@" >/dev/null 2>"$work/err" ||
            { cat "$work/err" >&2; echo "failed: $*" >&2; exit 1; }
        tail -n 1 "$work/t"
        return
    fi
    start=$(date +%s.%N)
    env Kestrova="$work/ini" "$@" >/dev/null 2>"$work/err" &
    pid=$!
    peak=0
    while kill -0 "$pid" 2>/dev/null; do
        hwm=$(sed -n 's/^VmHWM:[^0-9]*\([0-9]*\).*/\1/p' "/proc/$pid/status" 2>/dev/null || true)
        [ -n "$hwm" ] && peak=$hwm
        sleep 0.01
    done
    wait "$pid" || { cat "$work/err" >&2; echo "failed: $*" >&2; exit 1; }
    end=$(date +%s.%N)
    awk -v s="$start" -v e="$end" -v p="$peak" 'BEGIN { printf "%.2f %d\n", e - s, p }'
}
