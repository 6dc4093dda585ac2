# Shared by the scripts that run something inside a Debian tree of their own (the roots of other
# suites, the minimal tree of the package step): the archive to make it from, and mounts that are
# undone however the run ends. Source it; it defines functions only.

# The archive this machine uses.
debian_mirror() {
  local mirror
  mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
  [ -n "$mirror" ] || mirror=$(awk '$1 == "deb" { print $2; exit }' /etc/apt/sources.list 2>/dev/null)
  echo "${mirror:-http://deb.debian.org/debian}"
}

# Sets apt_options to mmdebstrap's options for a suite: the archive's moving suites may carry a
# Release whose Valid-Until has passed.
suite_apt_options() {
  apt_options=()
  case $1 in
    sid | unstable | testing | forky) apt_options=(--aptopt='Acquire::Check-Valid-Until "false"') ;;
  esac
}

# Mounts that a run killed before its clean-up left under a tree; a tree is removed only with
# nothing mounted in it, and never across file systems.
release_mounts() {
  findmnt -rn -o TARGET | awk -v under="$1/" 'index($0, under) == 1' | sort -r | while read -r target; do
    umount -R "$target" 2>/dev/null || umount -R -l "$target" 2>/dev/null || true
  done
}
remove_tree() {
  [ -e "$1" ] || return 0
  release_mounts "$1"
  rm -rf --one-file-system "$1"
}

# Whatever a test left running inside a tree would keep its mounts busy.
kill_inside() {
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$1" ] && kill -KILL "${p#/proc/}" 2>/dev/null || true
  done
}

# mount_into TREE [HOST_DIR:TREE_DIR ...]: /proc, /sys and /dev, then each folder of this machine
# bound at its place in the tree. unmount_all undoes every mount made so, newest first.
mounted=()
mount_into() {
  local tree=$1 bind
  shift
  mount -t proc proc "$tree/proc" && mounted+=("$tree/proc")
  mount --rbind /sys "$tree/sys" && mount --make-rslave "$tree/sys" && mounted+=("$tree/sys")
  mount --rbind /dev "$tree/dev" && mount --make-rslave "$tree/dev" && mounted+=("$tree/dev")
  for bind in "$@"; do
    mkdir -p "${bind%%:*}" "$tree${bind#*:}"
    mount --bind "${bind%%:*}" "$tree${bind#*:}" && mounted+=("$tree${bind#*:}")
  done
}
unmount_all() {
  local i tree
  for tree in "$@"; do kill_inside "$tree"; done
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount -R "${mounted[$i]}" 2>/dev/null || umount -R -l "${mounted[$i]}" || true
  done
  mounted=()
}
