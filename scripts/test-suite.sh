#!/usr/bin/env bash
# Runs vontal's installer, build, every test and the package step inside a root of another Debian
# suite, made with mmdebstrap from Debian's archive:
#   scripts/test-suite.sh trixie      (Debian 13)
#   scripts/test-suite.sh sid         (Debian unstable)
# The root is kept between runs in $VONTAL_SUITE_ROOTS (default ~/.cache/vontal/roots), outside
# the checkout, and made anew when the package lists or the installer change. Needs root.
set -euo pipefail
suite=${1:?usage: scripts/test-suite.sh SUITE}
cd "$(dirname "$0")/.."
repo=$(pwd)
[ "$(id -u)" -eq 0 ] || exec sudo --preserve-env=VONTAL_SUITE_ROOTS "$0" "$@"

roots=${VONTAL_SUITE_ROOTS:-${XDG_CACHE_HOME:-$HOME/.cache}/vontal/roots}
root=$roots/$suite
log() { echo "test-suite[$suite]: $*"; }

# The archive this machine uses, for the suite asked for.
mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
[ -n "$mirror" ] || mirror=$(awk '$1 == "deb" { print $2; exit }' /etc/apt/sources.list 2>/dev/null)
mirror=${mirror:-http://deb.debian.org/debian}
apt_options=()
case $suite in
  # The archive's moving suites may carry a Release whose Valid-Until has passed.
  sid | unstable | testing | forky) apt_options=(--aptopt='Acquire::Check-Valid-Until "false"') ;;
esac

# Mounts that a run killed before its clean-up left under a root; a root is removed only with
# nothing mounted in it, and never across file systems.
release_mounts() {
  findmnt -rn -o TARGET | awk -v under="$1/" 'index($0, under) == 1' | sort -r | while read -r target; do
    umount -R "$target" 2>/dev/null || umount -R -l "$target" 2>/dev/null || true
  done
}
remove_root() {
  release_mounts "$1"
  rm -rf --one-file-system "$1"
}

mounted=()
unmount_all() {
  # Whatever a test left running inside the root would keep its mounts busy.
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$root" ] && kill -KILL "${p#/proc/}" 2>/dev/null || true
  done
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -R "${mounted[$i]}" 2>/dev/null || umount -R -l "${mounted[$i]}" || true
  done
  mounted=()
}
trap unmount_all EXIT
trap 'exit 130' INT TERM HUP
mount_into() {
  local target=$1
  mount -t proc proc "$target/proc" && mounted+=("$target/proc")
  mount --rbind /sys "$target/sys" && mount --make-rslave "$target/sys" && mounted+=("$target/sys")
  mount --rbind /dev "$target/dev" && mount --make-rslave "$target/dev" && mounted+=("$target/dev")
}
in_root() {
  chroot "$1" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root LANG=C.UTF-8 TERM=dumb CI="${CI:-}" /bin/bash -c "$2"
}

# The root is made again when anything that decides its packages changes.
stamp=$( (echo "$suite $mirror" && cat scripts/install-deps.sh scripts/packages/*.txt) | sha256sum | cut -d' ' -f1)
if [ "$(cat "$root/.vontal-root" 2>/dev/null)" != "$stamp" ]; then
  log "making a root of Debian $suite from $mirror in $root"
  fresh=$root.new
  remove_root "$fresh"
  mkdir -p "$roots"
  mmdebstrap --variant=apt --quiet "${apt_options[@]}" --include=ca-certificates \
    "$suite" "$fresh" "deb $mirror $suite main"
  mkdir -p "$fresh/src/vontal/scripts"
  cp -r scripts/install-deps.sh scripts/packages "$fresh/src/vontal/scripts/"
  mount_into "$fresh"
  in_root "$fresh" "/src/vontal/scripts/install-deps.sh && apt-get clean"
  unmount_all
  echo "$stamp" >"$fresh/.vontal-root"
  remove_root "$root"
  mv "$fresh" "$root"
fi

# A fresh copy of the working tree (the checkout's own builds left out) in the root.
log "copying the checkout into $root/src/vontal"
release_mounts "$root"
rm -rf --one-file-system "$root/src/vontal" "$root/tmp/"* "$root/tmp/".[!.]* 2>/dev/null || true
mkdir -p "$root/src/vontal"
tar -C "$repo" --anchored --exclude=./build --exclude=./.git -cf - . | tar -C "$root/src/vontal" -xf -
mount_into "$root"
# What this run tests against, for the README's table.
in_root "$root" '. /etc/os-release; echo "$PRETTY_NAME"
  dpkg-query -W -f "\${Package} \${Version}\n" g++ cmake qt6-base-dev xvfb sway labwc kwin-wayland \
    gnome-shell 2>/dev/null || true' | sed "s/^/test-suite[$suite]: /"
in_root "$root" 'cd /src/vontal && scripts/install-deps.sh && cmake --preset default &&
  cmake --build --preset default && ctest --preset default && scripts/package-test.sh build/default'
log "passed"
