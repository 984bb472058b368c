#!/bin/sh
# The source folders form layers; a file includes only its own folder and
# the layers below it:
#   base  <-  fieldbook, levelling  <-  exports, import, tools  <-  adjust  <-  console, shell
# and only src/shell uses Qt (console/main.cpp, the entry point, starts
# either the console or the window). Prints every include that breaks the rule.
src=${1:-$(dirname "$0")/../src}
rank() {
    case $1 in
        base) echo 0 ;;
        fieldbook|levelling) echo 1 ;;
        exports|import|tools) echo 2 ;;
        adjust) echo 3 ;;
        console|shell) echo 4 ;;
        *) echo 9 ;;
    esac
}
bad=0
for file in $(find "$src" -name '*.cpp' -o -name '*.hpp' | sort); do
    dir=${file#"$src"/}
    dir=${dir%%/*}
    own=$(rank "$dir")
    if [ "$own" = 9 ]; then
        echo "$file: folder $dir has no place in the layers"
        bad=1
        continue
    fi
    for inc in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"/]*\)\/.*/\1/p' "$file"); do
        [ "$inc" = "$dir" ] && continue
        # The entry point chooses between the console and the window.
        [ "${file##*/src/}" = console/main.cpp ] && [ "$inc" = shell ] && continue
        r=$(rank "$inc")
        if [ "$r" -ge "$own" ]; then
            echo "$file: includes $inc/ (layer $r) from $dir/ (layer $own)"
            bad=1
        fi
    done
    if [ "$dir" != shell ] && grep -Eq '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(Q[A-Za-z]*|Qsci/[^>]*)>' "$file"; then
        echo "$file: uses Qt outside src/shell"
        bad=1
    fi
done
[ $bad = 0 ] && echo "layers: every include runs downward"
exit $bad
