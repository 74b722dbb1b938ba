#!/bin/sh
# Checks a Debian package of the player as Debian checks its own: lintian accepts it, the
# program carries every hardening hardening-check looks for, and the menu entry and the
# software-centre metadata validate.
#   tools/check-package.sh [PACKAGE.deb]   (default: the one in build/)
set -eu
cd "$(dirname "$0")/.."
if [ $# -gt 0 ]; then
    deb=$1
else
    deb=$(ls build/tsuzuri_*.deb)
fi
contents=$(mktemp -d "${TMPDIR:-/tmp}/tsuzuri-deb-XXXXXX")
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"

echo "== lintian"
lintian --fail-on error "$deb"

# Every protection must be reported present ("yes"), with two exceptions. Control-flow
# protection (CET) is not among the flags the package is built with, so its line says
# "(ignored)". Stack clash protection is told by the probing loop of a frame of unknown or
# very large size; the player's frames are never that large and get single probes instead (an
# OR of 0 at the stack pointer after each 4 KiB the frame grows), which hardening-check does
# not recognise: its "unknown" passes when those probes are there.
echo "== hardening-check"
program=$contents/usr/games/tsuzuri
hardening-check --nocfprotection "$program" | tee "$contents/hardening"
grep '^ ' "$contents/hardening" | grep -v ': yes' | grep -v '(ignored)$' |
    grep -v '^ Stack clash protection: unknown' >"$contents/missing" || true
# shellcheck disable=SC2016  # $0x0 is objdump's operand, not the shell's
if grep -q '^ Stack clash protection: unknown' "$contents/hardening" &&
    ! objdump -d "$program" | grep -Eq 'orq? +\$0x0,\(%rsp\)'; then
    echo " Stack clash protection: no probes found" >>"$contents/missing"
fi
if [ -s "$contents/missing" ]; then
    echo "FAIL: the packaged program lacks some hardening:" >&2
    cat "$contents/missing" >&2
    exit 1
fi
if readelf -S "$program" | grep -q ' \.comment '; then
    echo "FAIL: the packaged program still has its .comment section" >&2
    exit 1
fi

echo "== desktop-file-validate"
desktop-file-validate "$contents/usr/share/applications/org.example.tsuzuri.desktop"

echo "== appstreamcli validate"
appstreamcli validate --no-net --pedantic \
    "$contents/usr/share/metainfo/org.example.tsuzuri.metainfo.xml"
echo "package checks: all passed"
