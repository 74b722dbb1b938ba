#!/bin/sh
# Installs the Debian packages that building, testing and playing need.
# Only packages that are missing are installed; nothing happens when all are present.
set -eu

PACKAGES="
cmake
ninja-build
g++
pkg-config
clang-format
clang
libclang-rt-14-dev
libsdl2-dev
libpulse-dev
libsoxr-dev
libutf8proc-dev
libfreetype-dev
libfontconfig-dev
libpng-dev
zlib1g-dev
libjpeg62-turbo-dev
libgif-dev
fonts-ipafont-gothic
googletest
libgtest-dev
libgmock-dev
libbenchmark-dev
libpixman-1-dev
libstb-dev
xvfb
xauth
xdotool
xclip
openbox
x11-apps
xfonts-base
zenity
python3
python3-jsonschema
sox
pulseaudio
pulseaudio-utils
stress-ng
man-db
desktop-file-utils
appstream
dpkg-dev
devscripts
lintian
"

# The PulseAudio server is only for the sound timing test, which runs a private one. On a
# desktop whose sound server is PipeWire, installing it would replace PipeWire's PulseAudio
# service, so it is left out there (and that test is skipped).
if dpkg -s pipewire-pulse 2>/dev/null | grep -q '^Status: install ok installed'; then
    PACKAGES=$(echo "$PACKAGES" | grep -v '^pulseaudio$')
fi

missing=""
for pkg in $PACKAGES; do
    if ! dpkg -s "$pkg" 2>/dev/null | grep -q '^Status: install ok installed'; then
        missing="$missing $pkg"
    fi
done

if [ -z "$missing" ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
else
    SUDO="sudo"
fi

echo "Installing missing packages:$missing" >&2
$SUDO apt-get update
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
