#!/usr/bin/env bash
# Runs one command against a private system bus: starts dbus-daemon, points
# DBUS_SYSTEM_BUS_ADDRESS at it, runs the command, and stops the daemon by its process id whatever
# the command's outcome. Listing tests needs no bus.
set -u
for arg in "$@"; do
  if [ "$arg" = "--gtest_list_tests" ]; then exec "$@"; fi
done

here="$(cd "$(dirname "$0")" && pwd)"
workdir="$(mktemp -d "${TMPDIR:-/tmp}/vontal-bus.XXXXXX")"
daemon_pid=""
cleanup() {
  if [ -n "$daemon_pid" ]; then kill "$daemon_pid" 2>/dev/null; wait "$daemon_pid" 2>/dev/null; fi
  rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

address="unix:path=$workdir/system_bus_socket"
dbus-daemon --config-file="$here/system-bus.conf" --address="$address" --nofork --nosyslog \
  --print-pid=3 3>"$workdir/pid" </dev/null 2>"$workdir/dbus-daemon.log" &
daemon_pid=$!
# The daemon prints its pid once it listens; wait for that (bounded), not for a fixed time.
for _ in $(seq 1 500); do
  [ -s "$workdir/pid" ] && break
  if ! kill -0 "$daemon_pid" 2>/dev/null; then echo "dbus-daemon did not start" >&2; exit 1; fi
  sleep 0.01
done
[ -s "$workdir/pid" ] || { echo "dbus-daemon did not come up" >&2; exit 1; }

export DBUS_SYSTEM_BUS_ADDRESS="$address"
unset DBUS_SESSION_BUS_ADDRESS
export VONTAL_TEST_WORKDIR="$workdir"
"$@"
status=$?
exit $status
