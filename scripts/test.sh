#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the full build and its tests, the Debian
# package (built, installed, run and removed), then the device link again under AddressSanitizer
# and UndefinedBehaviorSanitizer. Then the same installer, build, tests and package step again in
# a root of Debian 13 (trixie) and one of Debian unstable (sid), made with mmdebstrap and kept
# between runs (scripts/test-suite.sh). The roots are made in the background while the host
# builds and tests. At the end a summary says how long each step took.
#   VONTAL_TEST_SUITES="trixie"  only these other suites; "" (or VONTAL_TEST_HOST_ONLY=1) none
# CI always runs all of them.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/timing.sh
suites=${VONTAL_TEST_SUITES-trixie sid}
if [ -n "${VONTAL_TEST_HOST_ONLY:-}" ]; then suites=""; fi
if [ -n "${CI:-}" ]; then suites="trixie sid"; fi

VONTAL_TIMINGS=$(mktemp)
export VONTAL_TIMINGS
started=$SECONDS
preparing=()
logs=$(mktemp -d)
# A root still being made when the run ends is stopped with everything it started (mmdebstrap
# cleans up after itself on SIGTERM).
stop_tree() {
  local child
  for child in $(pgrep -P "$1" 2>/dev/null); do stop_tree "$child"; done
  kill "$1" 2>/dev/null || true
}
finish() {
  local status=$?
  local pid
  for pid in "${preparing[@]}"; do stop_tree "$pid"; done
  wait 2>/dev/null || true
  printf 'whole run\t%s\t%s\n' $((SECONDS - started)) "$([ $status -eq 0 ] && echo ok || echo FAILED)" \
    >>"$VONTAL_TIMINGS"
  echo
  print_timings
  rm -rf "$VONTAL_TIMINGS" "$logs"
  exit $status
}
trap finish EXIT
trap 'exit 130' INT TERM HUP

step "host: packages" scripts/install-deps.sh

# Making a root is mostly downloading and unpacking: it goes on beside the host's build. Without
# a password for sudo the suite's own step below makes it instead.
declare -A prepared
for suite in $suites; do
  VONTAL_SUDO_OPTIONS=-n scripts/test-suite.sh --prepare "$suite" >"$logs/$suite" 2>&1 &
  prepared[$suite]=$!
  preparing+=($!)
done

# The compiler cache is found again from a clone in another folder (CI's clean clone, a second
# checkout): paths inside the sources count relative to them, and the working folder not at all.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
step "host: build" bash -c 'cmake --preset test && cmake --build --preset test'
step "host: tests" ctest --preset test --parallel "$(nproc)"
step "host: package" scripts/package-test.sh build/test
step "host: sanitizers" bash -c \
  'cmake --preset sanitize && cmake --build --preset sanitize && ctest --preset sanitize --parallel "$(nproc)"'
for suite in $suites; do
  if step "$suite: waiting for its root" wait "${prepared[$suite]}"; then
    grep "^test-suite" "$logs/$suite" || true
  else
    sed 's/^/  /' "$logs/$suite"
    echo "test-suite[$suite]: making the root in the background failed (above); trying again"
  fi
  scripts/test-suite.sh "$suite"
done
