#!/usr/bin/env bash
# Builds and tests Ingranix inside a minimal Debian chroot made with debootstrap, to catch what a
# newer Debian breaks before a teacher meets it: the README's test command, run on that release.
#
#   debian-chroot.sh [--prepare] [release] [-- test.sh options]
#     release    trixie (Debian 13, the default), sid (unstable), bookworm, ...
#     --prepare  only make the chroot, or bring it up to date, with what the tests need
#
# Run as root. The chroot is kept in /var/cache/ingranix/chroots/<release> (INGRANIX_CHROOT_CACHE
# moves it): made once from the Debian mirror that this machine's apt uses (INGRANIX_DEBIAN_MIRROR
# names another), brought up to date once a day, and given the packages tools/ci/install-deps.sh
# asks for. The tests themselves run in their own network, mount and process namespaces: the
# printing tests print on the chroot's own print server, never on this machine's, and everything
# the tests started ends with them. When no mirror can be reached and no ready chroot is cached,
# the leg is skipped with a message, not failed.
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
prepare=0
if [[ "${1:-}" == "--prepare" ]]; then
  prepare=1
  shift
fi
release=${1:-trixie}
shift || true
if [[ "${1:-}" == "--" ]]; then
  shift
fi
cache=${INGRANIX_CHROOT_CACHE:-/var/cache/ingranix/chroots}
root=$cache/$release
ready=$root/var/lib/ingranix/ready
refreshed=$root/var/lib/ingranix/refreshed

say() { echo "debian-chroot ($release): $*"; }
skip() {
  say "SKIP: $*"
  exit 0
}

if [[ $(id -u) -ne 0 ]]; then
  echo "debian-chroot.sh: must run as root (it runs debootstrap, chroot and unshare)" >&2
  exit 2
fi

# The mirror behind this machine's own Debian suites, from one-line and deb822 source lists alike.
# Prints "<suite> <uri>" pairs.
host_sources() {
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -r "$f" ]] || continue
    awk '$1 == "deb" { i = 2; if ($2 ~ /^\[/) while ($i !~ /\]$/) i++; if ($2 ~ /^\[/) i++;
                       print $(i + 1), $i }' "$f"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [[ -r "$f" ]] || continue
    awk 'function flush() { if (uris != "" && types ~ /(^| )deb( |$)/) { n = split(suites, s, " ");
                              m = split(uris, u, " "); for (a = 1; a <= n; a++) for (b = 1; b <= m; b++)
                              print s[a], u[b] } uris = suites = types = "" }
         /^[ \t]*$/ { flush(); next }
         /^URIs:/ { sub(/^URIs:[ \t]*/, ""); uris = $0 }
         /^Suites:/ { sub(/^Suites:[ \t]*/, ""); suites = $0 }
         /^Types:/ { sub(/^Types:[ \t]*/, ""); types = $0 }
         END { flush() }' "$f"
  done
}
codename=$( . /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
mirror=${INGRANIX_DEBIAN_MIRROR:-}
security=${INGRANIX_DEBIAN_SECURITY_MIRROR:-}
if [[ -z "$mirror" && -n "$codename" ]]; then
  mirror=$(host_sources | awk -v s="$codename" '$1 == s { print $2; exit }')
fi
if [[ -z "$security" && -n "$codename" ]]; then
  security=$(host_sources | awk -v s="$codename-security" '$1 == s { print $2; exit }')
fi
mirror=${mirror:-http://deb.debian.org/debian}
mirror=${mirror%/}
security=${security:-${mirror%/debian}/debian-security}

# One run at a time per chroot: a second waits, rather than share its /src and its print server.
mkdir -p "$cache"
exec 9>"$cache/$release.lock"
flock 9

if ! command -v debootstrap >/dev/null || ! command -v wget >/dev/null; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap wget ||
    skip "debootstrap could not be installed"
fi

online=0
if wget -q --spider --timeout=20 --tries=2 "$mirror/dists/$release/Release"; then
  online=1
fi

# in_chroot <with network: 0|1> <command>: runs a shell command in the chroot, in mount and process
# namespaces of its own (and a network namespace with only a loopback when the first argument is 0),
# so that its mounts and whatever it starts end with it.
in_chroot() {
  local net=$1 command=$2
  local namespaces=(--mount --pid --fork --propagation private)
  ((net)) || namespaces+=(--net)
  unshare "${namespaces[@]}" bash -s "$root" "$net" "$command" <<'INSIDE'
set -e
root=$1 net=$2 command=$3
((net)) || ip link set lo up
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --bind /dev "$root/dev"
mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$root/dev/pts"
mount --bind "$root/dev/pts/ptmx" "$root/dev/ptmx"
mount -t tmpfs tmpfs "$root/dev/shm"
mount -t tmpfs tmpfs "$root/run"
mount -t tmpfs tmpfs "$root/tmp"
((net)) && cp /etc/resolv.conf "$root/etc/resolv.conf"
exec chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb CI="${CI:-}" \
  INGRANIX_FUZZ_SECONDS="${INGRANIX_FUZZ_SECONDS:-}" \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin bash -c "$command" </dev/null
INSIDE
}

# apt_in_chroot <what> <command>: runs an apt command in the chroot with a network, its long output
# kept in a log and shown only when it fails.
apt_in_chroot() {
  local log=$cache/$release-apt.log
  say "$1"
  if ! in_chroot 1 "$2" >"$log" 2>&1; then
    tail -n 30 "$log"
    echo "debian-chroot.sh: $1 failed (log: $log)" >&2
    exit 1
  fi
  grep -h "left out" "$log" || true
}

if [[ ! -f "$ready" ]] && ! ((online)); then
  skip "no Debian mirror reachable at $mirror, and no chroot ready in $root"
fi

# --- The chroot, made once (it gets its name only when debootstrap has finished) ----------------
if [[ ! -d "$root" ]]; then
  say "making a minimal Debian $release in $root from $mirror"
  rm -rf "$root" "$root.partial"
  mkdir -p "$cache"
  debootstrap --variant=minbase --components=main "$release" "$root.partial" "$mirror" >"$cache/$release.log" 2>&1 ||
    {
      tail -n 20 "$cache/$release.log"
      echo "debian-chroot.sh: debootstrap failed (log: $cache/$release.log)" >&2
      exit 1
    }
  {
    echo "deb $mirror $release main"
    if [[ $release != sid && $release != unstable ]]; then
      echo "deb $mirror $release-updates main"
      echo "deb $security $release-security main"
    fi
  } >"$root.partial/etc/apt/sources.list"
  rm -f "$root.partial"/etc/apt/sources.list.d/*
  # Packages installed here must not start their services: the tests start those they need.
  printf '#!/bin/sh\nexit 101\n' >"$root.partial/usr/sbin/policy-rc.d"
  chmod 755 "$root.partial/usr/sbin/policy-rc.d"
  printf '127.0.0.1 localhost\n::1 localhost ip6-localhost ip6-loopback\n' >"$root.partial/etc/hosts"
  echo "ingranix-$release" >"$root.partial/etc/hostname"
  mkdir -p "$root.partial/var/lib/ingranix"
  mv "$root.partial" "$root"
  rm -f "$refreshed"
fi

# --- Brought up to date, with what the tests need ----------------------------------------------
# A mirror may be a frozen copy, as this machine's is: unstable's Release then carries a date after
# which apt would refuse it. The chroot takes the mirror as it is.
echo 'Acquire::Check-Valid-Until "false";' >"$root/etc/apt/apt.conf.d/99ingranix-mirror"
if ((online)); then
  if [[ ! -f "$refreshed" || -n $(find "$refreshed" -mmin +1440) ]]; then
    apt_in_chroot "bringing the chroot up to date" \
      "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get dist-upgrade -y -qq"
    touch "$refreshed"
  fi
  mkdir -p "$root/opt/ingranix-deps"
  cp "$here/tools/ci/install-deps.sh" "$root/opt/ingranix-deps/"
  # ccache keeps the chroot's compiled objects between runs.
  apt_in_chroot "installing what the tests need" "bash /opt/ingranix-deps/install-deps.sh --tests &&
    { dpkg-query -W -f='\${Status}' ccache 2>/dev/null | grep -q 'install ok installed' ||
      DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends ccache; } &&
    apt-get clean"
  touch "$ready"
else
  say "no Debian mirror reachable at $mirror: testing with the chroot as cached ($(date -r "$refreshed" +%F 2>/dev/null || echo 'never updated'))"
fi

if ((prepare)); then
  say "ready in $root"
  exit 0
fi

# --- The tests, without a network ---------------------------------------------------------------
say "copying the source tree into the chroot"
rm -rf "$root/src"
mkdir -p "$root/src"
if git -C "$here" rev-parse --git-dir >/dev/null 2>&1; then
  # What git tracks and what it would track: no build folders.
  git -C "$here" ls-files -z --cached --others --exclude-standard |
    tar -C "$here" --null --no-recursion --ignore-failed-read -T - -cf - | tar -xf - -C "$root/src"
else
  tar -C "$here" --exclude='./build*' -cf - . | tar -xf - -C "$root/src"
fi
say "running tools/test.sh $* in the chroot, without a network"
status=0
in_chroot 0 "cd /src && export CCACHE_DIR=/var/cache/ccache CMAKE_C_COMPILER_LAUNCHER=ccache \
  CMAKE_CXX_COMPILER_LAUNCHER=ccache && bash tools/test.sh --no-install --no-chroot $*" || status=$?
if [[ $status -eq 0 ]]; then
  say "passed"
else
  say "FAILED (status $status)"
fi
exit "$status"
