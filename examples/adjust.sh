#!/bin/sh
# adjust.sh FILE.gkf FILE.cor
# Adjusts FILE.gkf with GNU Gama's gama-local when it is available (the
# variable GAMA_LOCAL, else the PATH, else ../shared/tools/gama-local beside
# the repository) and compares the adjusted coordinates with the known
# ones, the "*= NAME X Y Z" lines of FILE.cor. Without gama-local it says
# so and ends with status 0.
set -u
gkf=$1
cor=$2
here=$(cd "$(dirname "$0")" && pwd)
gama=${GAMA_LOCAL:-}
[ -n "$gama" ] || gama=$(command -v gama-local 2>/dev/null || true)
[ -n "$gama" ] || { [ -x "$here/../../shared/tools/gama-local" ] && gama="$here/../../shared/tools/gama-local"; }
if [ -z "$gama" ] || [ ! -x "$gama" ]; then
    echo "gama-local absent (ni GAMA_LOCAL ni PATH) : pas d'ajustement du réseau"
    exit 0
fi
out=${gkf%.gkf}_gama
"$gama" "$gkf" --text "$out.txt" --xml "$out.xml" >/dev/null 2>&1
if grep -q '<error' "$out.xml" 2>/dev/null || ! grep -q '<adjusted>' "$out.xml" 2>/dev/null; then
    echo "gama-local n'a pas ajusté $gkf (voir $out.txt)"
    exit 1
fi
echo "Ajustement gama-local de $gkf ($out.txt) :"
# The adjusted points, one per line "NAME X Y Z", then the comparison.
sed -n '/<adjusted>/,/<\/adjusted>/p' "$out.xml" |
    sed -n 's:.*<id>\([^<]*\)</id> *<[xX]>\([^<]*\)</[xX]> *<[yY]>\([^<]*\)</[yY]> *<[zZ]>\([^<]*\)</[zZ]>.*:\1 \2 \3 \4:p' |
    awk -v cor="$cor" '
        # Metres to millimetres rounded to a tenth, never "-0.0".
        function mm(m,   r) { r = int(m * 10000 + (m < 0 ? -0.5 : 0.5)) / 10; return r == 0 ? 0 : r }
        BEGIN {
            while ((getline line < cor) > 0) {
                sub(/\r$/, "", line)
                n = split(line, f, " ")
                if (f[1] == "*=" && n >= 5) { kx[f[2]] = f[3]; ky[f[2]] = f[4]; kz[f[2]] = f[5] }
            }
            printf "%-8s %12s %12s %10s   %s\n", "point", "X", "Y", "Z", "écart au connu (mm)"
        }
        {
            line = sprintf("%-8s %12.4f %12.4f %10.4f", $1, $2, $3, $4)
            if ($1 in kx) {
                dx = mm($2 - kx[$1]); dy = mm($3 - ky[$1]); dz = mm($4 - kz[$1])
                line = line sprintf("   %5.1f %5.1f %5.1f", dx, dy, dz)
                for (i = 0; i < 3; i++) { d = (i == 0 ? dx : i == 1 ? dy : dz); if (d < 0) d = -d; if (d > worst) worst = d }
            }
            print line
        }
        END { printf "plus grand écart : %.1f mm\n", worst }'
