#!/usr/bin/env bash
# Installs the Debian packages that building and testing vontal need (lists in scripts/packages/),
# on Debian 12, 13 and unstable alike. In the lists, "a|b" takes the first of a and b that this
# system's archive has (a package that moved between suites), and "name?" is installed only where
# the archive has it (a tool only the screenshot scripts use).
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t wanted < <(cat scripts/packages/*.txt | sed 's/#.*//' | tr -s ' \t' '\n' | grep -v '^$' | sort -u)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
is_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
in_archive() {
  local candidate
  candidate=$(apt-cache policy "$1" 2>/dev/null | sed -n 's/^ *Candidate: *//p')
  [ -n "$candidate" ] && [ "$candidate" != "(none)" ]
}
satisfied() {
  local choice
  IFS='|' read -ra choices <<<"${1%\?}"
  for choice in "${choices[@]}"; do is_installed "$choice" && return 0; done
  return 1
}

unsatisfied=()
for entry in "${wanted[@]}"; do
  satisfied "$entry" || unsatisfied+=("$entry")
done
[ ${#unsatisfied[@]} -gt 0 ] || exit 0

$sudo apt-get update -q
missing=()
for entry in "${unsatisfied[@]}"; do
  optional=""
  [ "${entry%\?}" = "$entry" ] || optional=yes
  IFS='|' read -ra choices <<<"${entry%\?}"
  pick=""
  for choice in "${choices[@]}"; do
    if in_archive "$choice"; then pick=$choice; break; fi
  done
  if [ -n "$pick" ]; then
    missing+=("$pick")
  elif [ -n "$optional" ]; then
    echo "install-deps: ${entry%\?} is not in this system's archive; going on without it"
  else
    echo "install-deps: none of ${choices[*]} is in this system's archive" >&2
    exit 1
  fi
done
[ ${#missing[@]} -gt 0 ] || exit 0
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends -o Dpkg::Use-Pty=0 \
  "${missing[@]}"
