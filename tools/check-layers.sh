#!/bin/sh
# Fails when a file under src/ includes a header of a higher layer, or of the other layer at
# its own level. The layers, lowest first: common < platform < graphics, sound < script_engine
# < shell. Usage: tools/check-layers.sh [ROOT] (default: this checkout).
set -eu
cd "${1:-$(dirname "$0")/..}"

rank() {
    case "$1" in
    common) echo 0 ;;
    platform) echo 1 ;;
    graphics | sound) echo 2 ;;
    script_engine) echo 3 ;;
    shell) echo 4 ;;
    *) echo "" ;;
    esac
}

found=0
for file in $(git ls-files 'src/*.h' 'src/*.cpp'); do
    own=$(echo "$file" | cut -d/ -f2)
    own_rank=$(rank "$own")
    [ -n "$own_rank" ] || continue
    for layer in $(sed -n 's|^#include "\([a-z_]*\)/.*|\1|p' "$file" | sort -u); do
        layer_rank=$(rank "$layer")
        [ -n "$layer_rank" ] || continue
        if [ "$layer_rank" -gt "$own_rank" ] ||
            { [ "$layer_rank" -eq "$own_rank" ] && [ "$layer" != "$own" ]; }; then
            echo "$file includes $layer/, which is not below $own/:" >&2
            grep -n "^#include \"$layer/" "$file" | sed 's/^/    /' >&2
            found=1
        fi
    done
done
[ "$found" -eq 0 ] && echo "layers: no include goes up or sideways"
exit "$found"
