#!/usr/bin/env bash
# Builds the Debian package from a configured build tree, checks it with lintian, installs it with
# dpkg, checks what it installed and that the installed vontal runs, then removes it and checks
# that it is gone. Last, it installs the package without recommended packages into a minimal
# tree of this system's Debian suite (mmdebstrap, from the archive this system uses) and runs
# vontal there.
#   scripts/package-test.sh build/default
# The package is removed again however the run ends, so the script can be run any number of times.
set -euo pipefail

build_arg=${1:?usage: scripts/package-test.sh BUILD_DIR}
build=$(realpath "$build_arg")
if [ ! -f "$build/CPackConfig.cmake" ]; then
  echo "package-test: $build has no CPackConfig.cmake; configure it first" >&2
  exit 1
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
package=vontal
chroot_lib=$(realpath "$(dirname "$0")/lib/chroot.sh")

cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
prefix=$(cache_value VONTAL_ID_PREFIX)
version=$(cache_value CMAKE_PROJECT_VERSION)
main_id="${prefix}vontal"
helper_id="${prefix}vontalhelper"

installed() { dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; }
remove_package() {
  if installed; then
    $sudo dpkg -r "$package" >/dev/null
  fi
}
fail() {
  echo "package-test: FAILED: $*" >&2
  exit 1
}

out=$(mktemp -d)
started=""
cleanup() {
  if [ -n "$started" ]; then kill -KILL "$started" 2>/dev/null || true; fi
  remove_package
  # The minimal tree's copy may still have mounts in it when the run was cut short.
  $sudo bash -c ". '$chroot_lib' && release_mounts '$out' && rm -rf --one-file-system '$out'"
}
trap cleanup EXIT

# A package left over by an interrupted run would hide what this one installs.
remove_package

cmake --build "$build" --target vontal vontalloginhelper vontal_translated_data
(cd "$build" && cpack --config CPackConfig.cmake -G DEB -B "$out" >"$out/cpack.log") ||
  { cat "$out/cpack.log" >&2; fail "cpack"; }
debs=("$out"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb in $out"
deb=${debs[0]}
echo "package-test: built $(basename "$deb")"

depends=$(dpkg-deb -f "$deb" Depends)
echo "package-test: Depends: $depends"
for lib in libc6 libglib2.0-0 libsecret-1-0 libqt6widgets6 libqt6gui6 libwayland-client0 qt6-wayland; do
  grep -q "$lib" <<<"$depends" || fail "the package does not depend on $lib"
done

# No errors and no warnings.
lintian --fail-on error,warning "$deb" >"$out/lintian.log" 2>&1 ||
  { cat "$out/lintian.log" >&2; fail "lintian reports errors or warnings"; }
echo "package-test: lintian: no errors, no warnings"

$sudo dpkg -i "$deb"
installed || fail "dpkg does not list $package as installed"

files=(
  /usr/bin/vontal
  /usr/bin/vontalloginhelper
  "/usr/share/applications/$main_id.desktop"
  "/usr/share/applications/$helper_id.desktop"
  "/usr/share/icons/hicolor/scalable/apps/$main_id.svg"
  "/usr/share/metainfo/$main_id.metainfo.xml"
  /usr/share/man/man1/vontal.1.gz
  /usr/share/man/man1/vontalloginhelper.1.gz
  /usr/share/doc/vontal/copyright
  /usr/share/doc/vontal/changelog.gz
  /usr/share/vontal/translations/vontal_de.qm
  /usr/share/vontal/translations/vontal_zh_CN.qm
  /usr/share/vontal/kwin/vontal-frontmost.js
)
for f in "${files[@]}"; do
  [ -f "$f" ] || fail "$f is not installed"
done
for f in /usr/bin/vontal /usr/bin/vontalloginhelper; do
  [ -x "$f" ] || fail "$f is not executable"
done
grep -qx "Exec=/usr/bin/vontal" "/usr/share/applications/$main_id.desktop" ||
  fail "the main entry does not start /usr/bin/vontal"
grep -qx "Exec=/usr/bin/vontalloginhelper" "/usr/share/applications/$helper_id.desktop" ||
  fail "the helper's entry does not start /usr/bin/vontalloginhelper"
grep -qx "NoDisplay=true" "/usr/share/applications/$helper_id.desktop" ||
  fail "the helper's entry would show in menus"

# --version needs no display, no session bus and no Bluetooth.
reported=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen /usr/bin/vontal --version) ||
  fail "/usr/bin/vontal --version exited with an error"
echo "package-test: /usr/bin/vontal --version: $reported"
[ "$reported" = "vontal $version" ] || fail "expected 'vontal $version'"
# The packaged catalogues are found by the packaged program.
LANGUAGE=de /usr/bin/vontal --help | grep -q "Mit simulierten Demo-Geräten" ||
  fail "/usr/bin/vontal --help does not speak German under LANGUAGE=de"

# The packaged helper finds the packaged entry and starts /usr/bin/vontal, in a session of its own
# (no display, private runtime directory so that no running vontal answers instead).
session="$out/session"
mkdir -p "$session/runtime" && chmod 700 "$session/runtime"
env -i PATH=/usr/bin:/bin HOME="$session" LC_ALL=C XDG_RUNTIME_DIR="$session/runtime" \
  XDG_CONFIG_HOME="$session/config" XDG_DATA_HOME="$session/data" XDG_DATA_DIRS=/usr/share \
  QT_QPA_PLATFORM=offscreen /usr/bin/vontalloginhelper >"$session/out" 2>"$session/err" ||
  fail "vontalloginhelper exited with an error"
ours() { tr '\0' '\n' <"/proc/$1/environ" 2>/dev/null | grep -qx "XDG_RUNTIME_DIR=$session/runtime"; }
for _ in $(seq 200); do
  for p in /proc/[0-9]*; do
    pid=${p#/proc/}
    if [ "$(readlink "$p/exe" 2>/dev/null)" = /usr/bin/vontal ] && ours "$pid"; then
      started=$pid
    fi
  done
  [ -n "$started" ] && break
  sleep 0.1
done
if grep -q "vontalloginhelper:" "$session/err"; then
  cat "$session/err" >&2
  fail "the helper reported an error"
fi
[ -n "$started" ] || fail "the helper did not start /usr/bin/vontal"
echo "package-test: vontalloginhelper started /usr/bin/vontal (pid $started)"
kill "$started"
for _ in $(seq 100); do
  kill -0 "$started" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$started" 2>/dev/null || started=""

$sudo dpkg -r "$package"
! installed || fail "dpkg still lists $package after removal"
for f in "${files[@]}"; do
  [ ! -e "$f" ] || fail "$f is still there after removal"
done

echo "package-test: the package builds, installs, runs and removes cleanly"

# A minimal tree of this system's suite with apt only, the package installed without recommended
# packages: its dependencies alone must bring what vontal needs to open a window (Qt's platform
# plugins). The tree is made once per suite and archive and kept in $VONTAL_PACKAGE_TREES (default
# package-trees/ in the roots' folder of scripts/test-suite.sh), with the packages it downloaded;
# each run installs into a fresh copy of it.
. "$chroot_lib"
sources=()
for list in /etc/apt/sources.list /etc/apt/sources.list.d/debian.sources; do
  if [ -f "$list" ] && grep -qE '^(deb|URIs:)' "$list"; then sources+=("$list"); fi
done
suite=""
[ ! -f /etc/apt/sources.list ] || suite=$(awk '$1 == "deb" { print $3; exit }' /etc/apt/sources.list)
[ -n "$suite" ] ||
  suite=$(sed -n 's/^Suites: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
suite=${suite:-bookworm}
if [ ${#sources[@]} -eq 0 ]; then
  sources=("deb http://deb.debian.org/debian $suite main")
fi
suite_apt_options "$suite"
roots=${VONTAL_SUITE_ROOTS:-${XDG_CACHE_HOME:-$HOME/.cache}/vontal/roots}
trees=${VONTAL_PACKAGE_TREES:-$roots/package-trees}
tree=$trees/$suite
stamp=$( (echo "$suite" && cat "${sources[@]}" 2>/dev/null) | sha256sum | cut -d' ' -f1)
cat >"$out/in-tree.sh" <<'SCRIPT'
set -eu
export PATH=/usr/bin:/bin:/usr/sbin:/sbin HOME=/root QT_QPA_PLATFORM=offscreen
unset XDG_RUNTIME_DIR DISPLAY WAYLAND_DISPLAY
echo "in-tree: $(vontal --version)"
plugins=$(dirname "$(ls /usr/lib/*/qt6/plugins/platforms/libqxcb.so)")
# Newer Qt ships one Wayland plugin, libqwayland.so, where older Qt had libqwayland-generic.so.
wayland=libqwayland.so
[ -f "$plugins/$wayland" ] || wayland=libqwayland-generic.so
for plugin in libqxcb.so "$wayland" libqoffscreen.so; do
  [ -f "$plugins/$plugin" ] || { echo "in-tree: no Qt platform plugin $plugin"; exit 1; }
  if ldd "$plugins/$plugin" | grep 'not found'; then
    echo "in-tree: $plugin misses libraries"; exit 1
  fi
done
vontal --simulate >/tmp/simulate.log 2>&1 &
pid=$!
for _ in $(seq 200); do
  grep -q "Bluetooth powered ON" /tmp/simulate.log && break
  sleep 0.1
done
kill "$pid" 2>/dev/null || true
cat /tmp/simulate.log
grep -q "Bluetooth powered ON" /tmp/simulate.log || { echo "in-tree: vontal --simulate did not start"; exit 1; }
echo "in-tree: vontal --simulate started on the offscreen platform"
SCRIPT
$sudo mkdir -p "$trees"
if [ "$($sudo cat "$tree/.vontal-tree" 2>/dev/null)" != "$stamp" ]; then
  echo "package-test: making a minimal Debian $suite tree (mmdebstrap --variant=apt) in $tree"
  $sudo bash -c ". '$chroot_lib' && remove_tree '$tree.new' && remove_tree '$tree'"
  $sudo mmdebstrap --variant=apt --quiet --dpkgopt=force-unsafe-io "${apt_options[@]}" \
    "$suite" "$tree.new" "${sources[@]}" >"$out/tree.log" 2>&1 ||
    { cat "$out/tree.log" >&2; fail "mmdebstrap could not make a minimal Debian $suite tree"; }
  echo "$stamp" | $sudo tee "$tree.new/.vontal-tree" >/dev/null
  $sudo mv "$tree.new" "$tree"
fi
echo "package-test: installing into a fresh copy of the minimal Debian $suite tree"
copy="$out/tree"
$sudo cp -a "$tree" "$copy"
$sudo cp "$deb" "$out/in-tree.sh" "$copy/tmp/"
$sudo cp -L /etc/resolv.conf "$copy/etc/resolv.conf" 2>/dev/null || true
# apt's downloads are kept beside the tree; lists and everything else are the copy's own.
$sudo bash -c ". '$chroot_lib'
  trap 'unmount_all \"$copy\"' EXIT
  mount_into '$copy' '$trees/$suite.debs:/var/cache/apt/archives'
  chroot '$copy' /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
    bash -c 'apt-get update -q && apt-get install -y --no-install-recommends -q /tmp/$(basename "$deb") &&
      sh /tmp/in-tree.sh'" >"$out/tree.log" 2>&1 ||
  { cat "$out/tree.log" >&2; fail "the package does not install or run in a minimal tree"; }
grep "in-tree:" "$out/tree.log"
echo "package-test: installed without recommends in a minimal Debian $suite, vontal runs there"
