#!/bin/sh
# Builds the fuzz targets (clang++, libFuzzer, ASan, UBSan) in their own
# folder and runs each for a given time on a corpus seeded from tests/data
# and examples/ (the "// seeds:" line of each target) and from
# fuzz/regressions/<target>/, the inputs of faults found before, which are
# first replayed once.
#   fuzz/run.sh BUILD_DIR SECONDS [TARGET...]
# Prints per target: executions, coverage (edges), corpus size, findings.
# Exits 1 when a target finds a fault (the input is kept under
# BUILD_DIR/artifacts/<target>/); exits 0, saying so, when clang++ or
# libFuzzer is missing.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?dossier de construction}
seconds=${2:?durée par cible en secondes}
shift 2
case $build in /*) ;; *) build=$root/$build ;; esac

probe=$(mktemp -d)
printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' > "$probe/p.cpp"
if ! command -v clang++ >/dev/null 2>&1 ||
   ! clang++ -fsanitize=fuzzer,address,undefined "$probe/p.cpp" -o "$probe/p" >/dev/null 2>&1; then
    rm -rf "$probe"
    echo "fuzz : clang++ avec libFuzzer absent (paquets clang, libclang-rt-dev) : cibles non exécutées"
    exit 0
fi
rm -rf "$probe"

launcher=""
command -v ccache >/dev/null 2>&1 && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE= $launcher >/dev/null || exit 1
cmake --build "$build" -j"${JOBS:-2}" >"$build/build.log" 2>&1 || { tail -30 "$build/build.log"; exit 1; }

targets="$*"
if [ -z "$targets" ]; then
    for f in "$root"/fuzz/*_fuzz.cpp; do targets="$targets $(basename "$f" .cpp)"; done
fi

status=0
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1"
for t in $targets; do
    corpus=$build/corpus/$t
    artifacts=$build/artifacts/$t/
    regressions=$root/fuzz/regressions/$t
    mkdir -p "$corpus" "$artifacts"
    # Seeds: the files named by the target's "// seeds:" line.
    patterns=$(sed -n 's|^// seeds: *||p' "$root/fuzz/$t.cpp")
    (cd "$root" && for p in $patterns; do
        case $p in
            *'**'*) find "${p%%/\*\**}" -type f -name "${p##*/}" 2>/dev/null ;;
            *) ls $p 2>/dev/null ;;
        esac
    done) | while read -r f; do cp "$root/$f" "$corpus/seed_$(echo "$f" | tr '/' '_')" 2>/dev/null; done
    if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
        if ! "$build/$t" "$regressions"/* >"$build/$t.regressions.log" 2>&1; then
            echo "$t : une entrée de fuzz/regressions/$t échoue de nouveau"
            tail -30 "$build/$t.regressions.log"
            status=1
            continue
        fi
        cp "$regressions"/* "$corpus"/
    fi
    log=$build/$t.log
    "$build/$t" "$corpus" -max_total_time="$seconds" -seed="${FUZZ_SEED:-0}" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -artifact_prefix="$artifacts" -print_final_stats=1 >"$log" 2>&1
    rc=$?
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
    units=$(ls "$corpus" | wc -l)
    if [ $rc -eq 0 ]; then
        echo "$t : ${execs:-0} exécutions, couverture ${cov:-0} arêtes, corpus $units entrées, aucune anomalie"
    else
        echo "$t : ANOMALIE après ${execs:-?} exécutions (entrée gardée dans $artifacts)"
        grep -E "ERROR|FUZZ_CHECK|runtime error|SUMMARY" "$log" | head -10
        status=1
    fi
done
exit $status
