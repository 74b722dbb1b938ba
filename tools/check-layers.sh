#!/bin/sh
# Fails when a file under src/ includes a header of a higher layer, or of the other layer at
# its own level; when a library's CMakeLists.txt links a library that is not below it; or when
# a folder of src/ has no rank here. The layers, lowest first:
#   common < platform < graphics, sound < script_engine < capture < saves < ui < app
# Usage: tools/check-layers.sh [ROOT] (default: this checkout).
set -eu
cd "${1:-$(dirname "$0")/..}"

rank() {
    case "$1" in
    common) echo 0 ;;
    platform) echo 1 ;;
    graphics | sound) echo 2 ;;
    script_engine) echo 3 ;;
    capture) echo 4 ;;
    saves) echo 5 ;;
    ui) echo 6 ;;
    app) echo 7 ;;
    *) echo "" ;;
    esac
}

# Whether layer $1 may use layer $2: it is lower, or the same layer.
may_use() {
    [ "$1" = "$2" ] || [ "$(rank "$2")" -lt "$(rank "$1")" ]
}

found=0
for folder in $(git ls-files src | cut -d/ -f2 | sort -u); do
    [ -f "src/$folder" ] && continue
    if [ -z "$(rank "$folder")" ]; then
        echo "src/$folder/ has no layer: give it a rank in tools/check-layers.sh" >&2
        found=1
    fi
done

for file in $(git ls-files 'src/*.h' 'src/*.cpp'); do
    own=$(echo "$file" | cut -d/ -f2)
    [ -n "$(rank "$own")" ] || continue
    for layer in $(sed -n 's|^#include "\([a-z_]*\)/.*|\1|p' "$file" | sort -u); do
        [ -n "$(rank "$layer")" ] || continue
        if ! may_use "$own" "$layer"; then
            echo "$file includes $layer/, which is not below $own/:" >&2
            grep -n "^#include \"$layer/" "$file" | sed 's/^/    /' >&2
            found=1
        fi
    done
done

for file in $(git ls-files 'src/*/CMakeLists.txt'); do
    own=$(echo "$file" | cut -d/ -f2)
    [ -n "$(rank "$own")" ] || continue
    for library in $(grep -o 'tsuzuri_[a-z_]*' "$file" | sort -u); do
        layer=${library#tsuzuri_}
        [ -n "$(rank "$layer")" ] || continue
        if ! may_use "$own" "$layer"; then
            echo "$file links $library, which is not below $own/" >&2
            found=1
        fi
    done
done
[ "$found" -eq 0 ] && echo "layers: no include or link goes up or sideways, every folder ranked"
exit "$found"
