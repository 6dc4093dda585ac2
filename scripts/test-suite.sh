#!/usr/bin/env bash
# Runs vontal's installer, build, every test and the package step inside a root of another Debian
# suite, made with mmdebstrap from Debian's archive:
#   scripts/test-suite.sh trixie            (Debian 13)
#   scripts/test-suite.sh sid               (Debian unstable)
#   scripts/test-suite.sh --prepare trixie  only make the root, when it is missing or out of date
# The root is kept between runs in $VONTAL_SUITE_ROOTS (default ~/.cache/vontal/roots), outside
# the checkout, and made anew when the package lists or the installer change; beside it lie its
# compiler cache (<suite>.ccache) and the minimal tree of its package step (package-trees/).
# Needs root.
set -euo pipefail
prepare_only=""
if [ "${1:-}" = --prepare ]; then
  prepare_only=yes
  shift
fi
suite=${1:?usage: scripts/test-suite.sh [--prepare] SUITE}
cd "$(dirname "$0")/.."
repo=$(pwd)
[ "$(id -u)" -eq 0 ] ||
  exec sudo ${VONTAL_SUDO_OPTIONS:-} --preserve-env=VONTAL_SUITE_ROOTS,VONTAL_TIMINGS "$0" "$@"
. scripts/lib/chroot.sh
. scripts/lib/timing.sh

roots=${VONTAL_SUITE_ROOTS:-${XDG_CACHE_HOME:-$HOME/.cache}/vontal/roots}
root=$roots/$suite
log() { echo "test-suite[$suite]: $*"; }
mirror=$(debian_mirror)
suite_apt_options "$suite"

mkdir -p "$roots"
# One run at a time per suite: a root being made is not tested, nor made twice.
exec {lock}>"$roots/$suite.lock"
flock "$lock"

# A root being made when the run is stopped may still have mmdebstrap's mounts in it.
trap 'unmount_all "$root" "$root.new"; release_mounts "$root.new"' EXIT
trap 'exit 130' INT TERM HUP

# What no test reads is left out of the root: documentation and translations of
# other programs (vontal's own pages and files, and the languages vontal speaks, stay).
dpkg_options=(--dpkgopt=force-unsafe-io
  --dpkgopt='path-exclude=/usr/share/doc/*' --dpkgopt='path-include=/usr/share/doc/vontal' --dpkgopt='path-include=/usr/share/doc/vontal/*'
  --dpkgopt='path-exclude=/usr/share/help/*' --dpkgopt='path-exclude=/usr/share/info/*'
  --dpkgopt='path-exclude=/usr/share/gtk-doc/*' --dpkgopt='path-exclude=/usr/share/locale/*')
for language in de fr es it pt_BR ja zh_CN; do
  dpkg_options+=(--dpkgopt="path-include=/usr/share/locale/$language/*")
done

# The root is made again when anything that decides its packages changes. Its packages are
# installed while it is made, by the project's own installer, in one pass.
make_root() {
  local stamp fresh=$root.new
  stamp=$( (echo "$suite $mirror ${dpkg_options[*]}" && cat scripts/install-deps.sh scripts/packages/*.txt) |
    sha256sum | cut -d' ' -f1)
  if [ "$(cat "$root/.vontal-root" 2>/dev/null)" = "$stamp" ]; then
    log "reusing the root in $root"
    return 0
  fi
  log "making a root of Debian $suite from $mirror in $root"
  remove_tree "$fresh"
  mmdebstrap --variant=apt --quiet "${apt_options[@]}" "${dpkg_options[@]}" --include=ca-certificates \
    --customize-hook='mkdir -p "$1/src/vontal/scripts"' \
    --customize-hook="copy-in scripts/install-deps.sh scripts/packages /src/vontal/scripts" \
    --customize-hook='chroot "$1" /src/vontal/scripts/install-deps.sh' \
    "$suite" "$fresh" "deb $mirror $suite main"
  echo "$stamp" >"$fresh/.vontal-root"
  remove_tree "$root"
  mv "$fresh" "$root"
}
step "$suite: root" make_root
[ -z "$prepare_only" ] || exit 0

# A fresh copy of the working tree (the checkout's own builds left out) in the root.
log "copying the checkout into $root/src/vontal"
release_mounts "$root"
rm -rf --one-file-system "$root/src/vontal" "$root/tmp/"* "$root/tmp/".[!.]* 2>/dev/null || true
mkdir -p "$root/src/vontal"
tar -C "$repo" --anchored --exclude=./build --exclude=./.git -cf - . | tar -C "$root/src/vontal" -xf -
mount_into "$root" "$roots/$suite.ccache:/var/cache/vontal/ccache" \
  "$roots/package-trees:/var/cache/vontal/package-trees"
in_root() {
  chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root LANG=C.UTF-8 TERM=dumb CI="${CI:-}" CCACHE_DIR=/var/cache/vontal/ccache \
    VONTAL_PACKAGE_TREES=/var/cache/vontal/package-trees /bin/bash -c "cd /src/vontal && $1"
}
# What this run tests against, for the table of tested versions in docs/desktops.md.
in_root '. /etc/os-release; echo "$PRETTY_NAME"
  dpkg-query -W -f "\${Package} \${Version}\n" g++ cmake qt6-base-dev xvfb sway labwc kwin-wayland \
    gnome-shell 2>/dev/null || true' | sed "s/^/test-suite[$suite]: /"
step "$suite: packages" in_root 'scripts/install-deps.sh'
step "$suite: build" in_root 'cmake --preset suite && cmake --build --preset suite'
step "$suite: tests" in_root 'ctest --preset suite --parallel "$(nproc)"'
step "$suite: package" in_root 'scripts/package-test.sh build/suite'
log "passed"
