#!/usr/bin/env bash
# Tests Ingranix as a teacher would get it: makes the .deb with CPack, installs it with apt-get (which
# pulls its dependencies), checks what it put on the machine and starts the installed program under a
# virtual display. Then does the same for `cmake --install` into a scratch prefix, and removes the
# package again unless --keep is given.
#
#   tools/ci/test-package.sh [--keep] <configured and built build folder>
#
# Run as root from the repository root. The last line is "package: N passed, M failed"; the exit
# status is non-zero when any check failed.
# The helper functions are run through `check`, which shellcheck cannot follow.
# shellcheck disable=SC2317
set -uo pipefail

APP_ID=io.github.ingranix.Ingranix
ICON_SIZES=(16 32 48 64 128 256)
START_TIMEOUT=60

keep=0
if [[ "${1:-}" == "--keep" ]]; then
  keep=1
  shift
fi
if [[ $# -ne 1 || ! -f "${1:-}/CMakeCache.txt" ]]; then
  echo "usage: $0 [--keep] <configured and built build folder>" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
# The benchmarks' first-paint watcher: preloaded into a program, it ends it once its window has painted
# (the program holds no measuring code of its own).
firstpaint="$build/bin/ingranix-firstpaint.so"
if [[ ! -f $firstpaint ]]; then
  echo "test-package.sh: $firstpaint is missing (build with the benchmarks)" >&2
  exit 2
fi
if [[ $(id -u) -ne 0 ]]; then
  echo "test-package.sh: must run as root (it installs the package)" >&2
  exit 2
fi

passed=0
failed=0
# check <description> <command...>: runs the command quietly, shows its output only when it fails.
check() {
  local what=$1
  shift
  local out
  if out=$("$@" 2>&1); then
    passed=$((passed + 1))
    echo "PASS  $what"
  else
    failed=$((failed + 1))
    echo "FAIL  $what"
    [[ -n "$out" ]] && tail -n 30 <<<"$out" | sed 's/^/      /'
  fi
}
finish() {
  echo "package: $passed passed, $failed failed"
  [[ $failed -eq 0 ]]
  exit
}

# desktop-file-validate exits 0 on hints too; a hint such as two main categories still puts the
# game twice in some menus, so any output counts as a failure.
validate_desktop_entry() {
  local out
  out=$(desktop-file-validate "$1" 2>&1) || { echo "$out"; return 1; }
  [[ -z "$out" ]] || { echo "$out"; return 1; }
}

# man_page_reads <file>: the manual page formats with no warning from man or groff.
man_page_reads() {
  local out
  out=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$1" 2>&1 >/dev/null) || { echo "$out"; return 1; }
  [[ -z "$out" ]] || { echo "$out"; return 1; }
}

# png_is <file> <size>: the file is a PNG picture <size> pixels square.
png_is() {
  file -b "$1" | grep -q "^PNG image data, $2 x $2,"
}

# starts <program> [wrapper...]: the program, run through the optional wrapper, paints its first
# window on a virtual display and ends by itself. QT_QPA_PLATFORM is cleared so that the real xcb
# plugin, the one a desktop uses, is exercised; a fresh home keeps the machine's settings out of it.
# The first-paint watcher goes into the program alone, not into the display server: without a wrapper
# through env, and a wrapper must pass it on itself (strace -E LD_PRELOAD=...).
starts() {
  local program=$1
  shift
  local home status=0
  home=$(mktemp -d)
  local launch=(env LD_PRELOAD="$firstpaint" "$program")
  [[ $# -gt 0 ]] && launch=("$@" "$program")
  env -u QT_QPA_PLATFORM HOME="$home" XDG_RUNTIME_DIR="$home" \
    xvfb-run -a timeout -k 5 "$START_TIMEOUT" "${launch[@]}" || status=$?
  rm -rf "$home"
  [[ $status -eq 124 ]] && echo "no first paint within ${START_TIMEOUT} s"
  return "$status"
}

# reads_resources <prefix>: the program in <prefix>/bin opens its gear movie and its guide from
# <prefix>/share/ingranix. Without this, a broken lookup would go unnoticed: the game also starts,
# calmly, with no resources at all.
reads_resources() {
  local log status=0
  log=$(mktemp)
  # -b execve: the speech service the program starts lives on after it, and strace would wait for it.
  starts "$1/bin/ingranix" strace -E LD_PRELOAD="$firstpaint" -f -b execve -e trace=open,openat -o "$log" ||
    status=$?
  if [[ $status -eq 0 ]]; then
    local folder="\"$1/share/ingranix/"
    grep -qE "${folder}(rosso|verde|blu|grigio)\.gif\".*= [0-9]+$" "$log" || { echo "no gear movie opened"; status=1; }
    grep -qE "${folder}merlin\.json\".*= [0-9]+$" "$log" || { echo "no guide character opened"; status=1; }
  fi
  rm -f "$log"
  return "$status"
}

# holds_pictures <program>: the window's emblem and the lights' start picture are compiled into
# the program (its resource table names them, in UTF-16).
holds_pictures() {
  local names
  names=$(strings -e b "$1")
  grep -qx "emblem.png" <<<"$names" || { echo "no emblem in $1"; return 1; }
  grep -qx "design-light.gif" <<<"$names" || { echo "no start picture of the lights in $1"; return 1; }
}
# lists_all <listing file> <path...>: every path appears as a whole line of the listing.
lists_all() {
  local listing=$1
  shift
  local missing=0 p
  for p in "$@"; do
    grep -qxF "$p" "$listing" || { echo "missing: $p"; missing=1; }
  done
  return "$missing"
}

# The files an installation under <prefix> must hold.
expected_files() {
  local prefix=$1 size
  echo "$prefix/bin/ingranix"
  echo "$prefix/lib/ingranix/ingranix-notebook.so"
  for f in lucir.gif luciv.gif lucig.gif lucib.gif rosso.gif verde.gif blu.gif grigio.gif merlin.json; do
    echo "$prefix/share/ingranix/$f"
  done
  echo "$prefix/share/man/man6/ingranix.6.gz"
  echo "$prefix/share/man/it/man6/ingranix.6.gz"
  echo "$prefix/share/applications/$APP_ID.desktop"
  echo "$prefix/share/metainfo/$APP_ID.metainfo.xml"
  for size in "${ICON_SIZES[@]}"; do
    echo "$prefix/share/icons/hicolor/${size}x${size}/apps/ingranix.png"
  done
}

# depends_on <package...>: each package is named in the .deb's Depends field ($depends); a name
# may be an extended regular expression.
depends_on() {
  local p missing=0
  for p in "$@"; do
    grep -qE "(^|, )$p( |,|$)" <<<"$depends" || { echo "no $p in: $depends"; missing=1; }
  done
  return "$missing"
}

# none_exist <path...>: every path is gone.
none_exist() {
  local p left=0
  for p in "$@"; do
    [[ -e "$p" ]] && { echo "left behind: $p"; left=1; }
  done
  return "$left"
}

# An RPATH into the build tree would make the installed program load libraries that only exist
# on the machine that built it.
no_build_rpath() {
  ! readelf -d "$1" | grep -E "R(UN)?PATH" | grep -qF "$build"
}

missing_tools=()
for tool in cpack dpkg-deb apt-get desktop-file-validate appstreamcli lintian man xvfb-run file readelf strings; do
  command -v "$tool" >/dev/null || missing_tools+=("$tool")
done
if ((${#missing_tools[@]})); then
  echo "test-package.sh: missing ${missing_tools[*]} (tools/ci/install-deps.sh --tests installs them)" >&2
  exit 2
fi
export LC_ALL=C.UTF-8

echo "== Debian package"
rm -f "$build"/ingranix_*.deb
check "cpack makes the .deb" bash -c "cd '$build' && cpack -G DEB"
debs=("$build"/ingranix_*.deb)
if [[ ! -f "${debs[0]}" ]]; then
  echo "FAIL  no ingranix_*.deb in $build"
  failed=$((failed + 1))
  finish
fi
deb=${debs[0]}
echo "      $(basename "$deb")"

depends=$(dpkg-deb -f "$deb" Depends)
# Debian 13 renamed Qt Core's package for its 64-bit time (libqt6core6t64).
check "the package depends on the Qt libraries the program links" \
  depends_on "libqt6core6(t64)?" libqt6gui6 libqt6widgets6 libqt6printsupport6 libqt6texttospeech6 libqt6charts6
check "the package depends on the speech plugin, a voice and the fonts" \
  depends_on qt6-speech-speechd-plugin speech-dispatcher-espeak-ng fonts-liberation fonts-dejavu-core

# What a distribution asks of a package: no lintian error or warning (notes are allowed).
check "lintian finds no error or warning in the package" \
  lintian --fail-on error,warning --tag-display-limit 0 "$deb"

was_installed=0
dpkg-query -W -f='${Status}' ingranix 2>/dev/null | grep -q "install ok installed" && was_installed=1
check "apt-get installs the package and its dependencies" \
  env DEBIAN_FRONTEND=noninteractive apt-get install -y --reinstall "$deb"

mapfile -t installed_files < <(expected_files /usr)
listing=$(mktemp)
dpkg -L ingranix >"$listing" 2>/dev/null
check "dpkg -L lists the program, resources, desktop entry, metainfo and icons" \
  lists_all "$listing" "${installed_files[@]}" /usr/share/doc/ingranix/copyright \
  /usr/share/doc/ingranix/changelog.gz
rm -f "$listing"
for size in "${ICON_SIZES[@]}"; do
  check "installed icon ${size}x${size} is a ${size}-pixel PNG" \
    png_is "/usr/share/icons/hicolor/${size}x${size}/apps/ingranix.png" "$size"
done
check "installed manual page reads without a warning" man_page_reads /usr/share/man/man6/ingranix.6.gz
check "installed Italian manual page reads without a warning" man_page_reads /usr/share/man/it/man6/ingranix.6.gz
check "installed desktop entry is valid" validate_desktop_entry "/usr/share/applications/$APP_ID.desktop"
check "installed metainfo is valid" \
  bash tools/ci/validate-metainfo.sh "/usr/share/metainfo/$APP_ID.metainfo.xml"
check "installed program has no RPATH into the build folder" no_build_rpath /usr/bin/ingranix
check "installed notebook module has no RPATH into the build folder" \
  no_build_rpath /usr/lib/ingranix/ingranix-notebook.so
check "installed program holds its emblem and the lights' start picture" holds_pictures /usr/bin/ingranix
check "installed /usr/bin/ingranix starts and paints under Xvfb" starts /usr/bin/ingranix
if command -v xdotool >/dev/null && command -v openbox >/dev/null; then
  check "installed program loads its notebook on F2 and ends on Ctrl+Q" \
    env -u QT_QPA_PLATFORM xvfb-run -a bash tests/wholegame/esci.sh /usr/bin/ingranix
fi
if command -v strace >/dev/null; then
  check "installed program reads its resources from /usr/share/ingranix" reads_resources /usr
else
  echo "SKIP  installed program reads its resources from /usr/share/ingranix (no strace)"
fi

echo "== cmake --install"
prefix=$(mktemp -d)
check "cmake --install into a scratch prefix" cmake --install "$build" --prefix "$prefix"
mapfile -t prefix_files < <(expected_files "$prefix")
listing=$(mktemp)
find "$prefix" -type f | sort >"$listing"
check "the scratch prefix holds the program, resources, desktop entry, metainfo and icons" \
  lists_all "$listing" "${prefix_files[@]}"
rm -f "$listing"
# Nothing beside the program: it must find its resources in ../share/ingranix on its own.
check "the program in the scratch prefix starts and paints under Xvfb" starts "$prefix/bin/ingranix"
if command -v strace >/dev/null; then
  check "the program in the scratch prefix reads its resources from there" reads_resources "$prefix"
fi
rm -rf "$prefix"

if [[ $keep -eq 0 && $was_installed -eq 0 ]]; then
  echo "== Removal"
  check "dpkg removes the package" dpkg -r ingranix
  check "nothing of the program is left in /usr" none_exist "${installed_files[@]}" /usr/share/ingranix
fi

finish
