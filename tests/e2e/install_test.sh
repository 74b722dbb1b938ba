#!/bin/sh
# `cmake --install` into a temporary prefix: the program, the menu entry, the software-centre
# metadata, the icons, the manual page and the README, each usable.
set -eu
. "$(dirname "$0")/lib.sh"
require_tools cmake man

BUILD=$(dirname "$TSUZURI")
P=$WORK/p
cmake --install "$BUILD" --prefix "$P" >"$WORK/install.log" 2>&1 ||
    fail "cmake --install failed: $(cat "$WORK/install.log")"

[ -x "$P/bin/tsuzuri" ] || fail "bin/tsuzuri is not installed"
for file in share/applications/org.example.tsuzuri.desktop \
    share/metainfo/org.example.tsuzuri.metainfo.xml share/icons/hicolor/scalable/apps/tsuzuri.svg \
    share/man/man6/tsuzuri.6.gz share/doc/tsuzuri/README.md share/doc/tsuzuri/copyright; do
    [ -s "$P/$file" ] || fail "$file is not installed"
done

# Each PNG icon is as large as the folder it is in says (width and height from its header).
for size in 16 24 32 48 64 128 256; do
    icon=$P/share/icons/hicolor/${size}x${size}/apps/tsuzuri.png
    [ -s "$icon" ] || fail "no ${size}px icon"
    dims=$(od -An -tu1 -j16 -N8 "$icon" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$dims" = "${size}x${size}" ] || fail "the ${size}px icon is $dims"
done

desktop=$P/share/applications/org.example.tsuzuri.desktop
exec_line=$(sed -n 's/^Exec=\(tsuzuri --choose-game %f\)$/\1/p' "$desktop")
[ -n "$exec_line" ] || fail "the menu entry runs something else: $(grep '^Exec=' "$desktop")"
grep -qx 'Exec=tsuzuri --continue' "$desktop" || fail "the menu entry has no Continue action"
grep -qx 'MimeType=inode/directory;' "$desktop" || fail "the menu entry opens no folders"
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$desktop" >"$WORK/validate" 2>&1 ||
        fail "desktop-file-validate: $(cat "$WORK/validate")"
else
    echo "desktop-file-validate is not installed: the menu entry is not validated"
fi
metainfo=$P/share/metainfo/org.example.tsuzuri.metainfo.xml
grep -q '<launchable type="desktop-id">org.example.tsuzuri.desktop</launchable>' "$metainfo" ||
    fail "the metadata does not name the menu entry"
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate --no-net --pedantic "$metainfo" >"$WORK/validate" 2>&1 ||
        fail "appstreamcli validate: $(cat "$WORK/validate")"
else
    echo "appstreamcli is not installed: the metadata is not validated"
fi

# A file manager's "Open With" runs the entry's command with the folder for %f: the game in
# it plays, nothing asks for a folder.
make_game "$WORK/game" "[GameState]" "DefaultScriptFileName=start.txt"
printf 'pass 40 tap left\n' >"$WORK/input.txt"
# shellcheck disable=SC2086  # the command is split into words as the launcher splits it
set -- ${exec_line%% %f}
shift
TSUZURI=$P/bin/tsuzuri
run --headless --input "$WORK/input.txt" --trace-lines "$@" "$WORK/game"
expect_rc 0
[ "$(pages)" = "Hello " ] || fail "the folder handed to the menu entry played '$(pages)'"

# The manual page renders without a warning and names every option --help lists.
MANWIDTH=80 man --warnings -l "$P/share/man/man6/tsuzuri.6.gz" \
    >"$WORK/man.txt" 2>"$WORK/man.err" || fail "man -l failed: $(cat "$WORK/man.err")"
[ ! -s "$WORK/man.err" ] || fail "the manual page has warnings: $(cat "$WORK/man.err")"
"$P/bin/tsuzuri" --help >"$WORK/help.txt"
for option in $(grep -o -- '--[a-z-]*' "$WORK/help.txt" | sort -u); do
    grep -q -- "$option" "$WORK/man.txt" || fail "the manual page lacks $option"
done

# The installed program starts and names the libraries it runs on.
"$P/bin/tsuzuri" --version >"$WORK/version.txt"
head -n 1 "$WORK/version.txt" | grep -q '^tsuzuri [0-9]' ||
    fail "no version: $(cat "$WORK/version.txt")"
for library in SDL FreeType libpng libjpeg-turbo giflib; do
    grep -Eq "^  $library [0-9]+\.[0-9]+" "$WORK/version.txt" ||
        fail "--version lacks $library: $(cat "$WORK/version.txt")"
done
