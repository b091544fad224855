#!/usr/bin/env bash
# Runs CI (.ci/run: install-deps, build, the README's test command) on a clean clone of the
# committed state inside a fresh, minimal Debian 12 root. It proves that nothing the build or the
# tests need comes from packages installed by hand on the machine that runs it.
#
#   scripts/ci-clean-root.sh [root-folder]
#
# Needs root (or sudo), mmdebstrap (or debootstrap) and the network to deb.debian.org; neither
# tool comes with scripts/install-deps.sh (sudo apt-get install mmdebstrap). Without a folder
# the root goes to a new folder under /var/tmp, which is removed afterwards unless KEEP_ROOT=1;
# a given folder that already holds a root is reused as it is (not cleaned). KLANG_JOBS, when
# set, limits the build and the tests inside the root to that many cores.
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
mirror="${DEBIAN_MIRROR:-http://deb.debian.org/debian}"

# Say at once what is missing, before anything is created.
if [ $# -ge 1 ] && [ -x "$1/usr/bin/apt-get" ]; then
  :
elif ! command -v mmdebstrap >/dev/null && ! command -v debootstrap >/dev/null; then
  echo "ci-clean-root: needs mmdebstrap or debootstrap to create the Debian 12 root;" >&2
  echo "ci-clean-root: install one of them first, e.g.: sudo apt-get install mmdebstrap" >&2
  exit 2
fi
if [ -n "$SUDO" ] && ! command -v sudo >/dev/null; then
  echo "ci-clean-root: needs root rights: run it as root or install sudo" >&2
  exit 2
fi

fresh_root=0
if [ $# -ge 1 ]; then
  root="$(mkdir -p "$1" && cd "$1" && pwd)"
else
  root="$(mktemp -d /var/tmp/klangtruhe-clean-root.XXXXXX)"
  fresh_root=1
fi

cleanup() {
  if [ "$fresh_root" -eq 1 ] && [ "${KEEP_ROOT:-0}" != "1" ]; then
    $SUDO rm -rf --one-file-system "$root"
  fi
}
trap cleanup EXIT

if [ ! -x "$root/usr/bin/apt-get" ]; then
  echo "ci-clean-root: creating a minimal Debian 12 root in $root"
  if command -v mmdebstrap >/dev/null; then
    $SUDO mmdebstrap --variant=minbase --components=main bookworm "$root" \
      "deb $mirror bookworm main" "deb $mirror bookworm-updates main" \
      "deb http://deb.debian.org/debian-security bookworm-security main"
  else
    $SUDO debootstrap --variant=minbase bookworm "$root" "$mirror"
  fi
fi

# A clean clone: what is committed, nothing from this checkout's build or working tree.
$SUDO rm -rf "$root/work/klangtruhe"
$SUDO mkdir -p "$root/work"
$SUDO git clone -q --no-hardlinks "$repo" "$root/work/klangtruhe"
$SUDO cp /etc/resolv.conf "$root/etc/resolv.conf"

echo "ci-clean-root: running .ci/run at $(git -C "$repo" log --oneline -1)"
start=$(date +%s)
# A private mount namespace: the mounts vanish with the run and never touch the host's.
$SUDO unshare --mount --fork --propagation private bash -c '
  set -e
  r="$1"
  mount -t proc proc "$r/proc"
  mount -t sysfs sysfs "$r/sys"
  mount --rbind /dev "$r/dev"
  mount -t tmpfs tmpfs "$r/dev/shm"
  mount -t tmpfs tmpfs "$r/tmp"
  chroot "$r" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb KLANG_JOBS="$2" \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c "cd /work/klangtruhe && bash .ci/run"
' _ "$root" "${KLANG_JOBS:-}"
echo "ci-clean-root: passed in $(( $(date +%s) - start )) s"
