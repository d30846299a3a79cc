#!/usr/bin/env bash
# Installs the Debian packages Ingranix needs, only those that are missing. Works on Debian 12, 13
# and unstable: no name carries a version, and apt is asked only for names its archive has.
#   install-deps.sh          what building and playing need
#   install-deps.sh --tests  and what the tests need (virtual display, window manager, printing,
#                            speech, a null sound sink, accessibility bus, clang and its symbolizer)
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-declarative-dev qt6-speech-dev qt6-charts-dev libmuparser-dev
  qt6-speech-speechd-plugin qt6-image-formats-plugins qt6-gtk-platformtheme
  speech-dispatcher speech-dispatcher-espeak-ng espeak-ng
  cups-client fonts-liberation fonts-dejavu-core
)
if [[ "${1:-}" == "--tests" ]]; then
  # llvm brings llvm-symbolizer, which turns the fuzzer's and the sanitizers' reports into source lines.
  packages+=(xvfb xauth cups cups-bsd poppler-utils clang libclang-rt-dev llvm clang-format
             appstream dpkg-dev file desktop-file-utils strace xdotool lintian
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
"${as_root[@]}" apt-get update -qq

# A name this release's archive lacks would stop apt-get with "Unable to locate package" and install
# nothing: such names are left out, and said.
available=()
for p in "${missing[@]}"; do
  if apt-cache show --no-all-versions "$p" >/dev/null 2>&1; then
    available+=("$p")
  else
    echo "install-deps.sh: $p is not in this release's archive; left out"
  fi
done
[[ ${#available[@]} -eq 0 ]] && exit 0
echo "Installing: ${available[*]}"
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${available[@]}"
