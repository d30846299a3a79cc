#!/usr/bin/env bash
# Installs the Debian 12 packages Ingranix needs, only those that are missing.
#   install-deps.sh          what building and playing need
#   install-deps.sh --tests  and what the tests need (virtual display, window manager, printing,
#                            speech, a null sound sink, accessibility bus, clang)
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-speech-dev qt6-charts-dev libmuparser-dev
  qt6-speech-speechd-plugin qt6-image-formats-plugins qt6-gtk-platformtheme
  libqt6texttospeech6 libqt6printsupport6 libqt6charts6
  speech-dispatcher speech-dispatcher-espeak-ng espeak-ng
  cups-client fonts-liberation fonts-dejavu-core
)
if [[ "${1:-}" == "--tests" ]]; then
  packages+=(xvfb xauth cups cups-bsd poppler-utils clang-14 libclang-rt-14-dev clang-format
             appstream dpkg-dev file desktop-file-utils strace xdotool
             openbox x11-utils at-spi2-core dbus-x11 python3-pyatspi pulseaudio pulseaudio-utils sox
             orca)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
