#!/usr/bin/env bash
# Installs what is needed, builds vontal and starts it. Arguments go to vontal (try --simulate).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target vontal

program="$PWD/build/default/ui/vontal"
again=$(printf '%q' "$program")
if (($# > 0)); then
    again+=" $(printf '%q ' "$@")"
    again=${again% }
fi
echo "vontal is built: $program"
echo "Start it again without building: $again"

# "Launch on login" runs the installed helper through an autostart entry; a helper only in the
# build folder is never found there.
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' build/default/CMakeCache.txt 2>/dev/null || true)
prefix=${prefix:-/usr/local}
if helper=$(command -v vontalloginhelper); then
    echo "vontalloginhelper is installed ($helper): \"Launch on login\" can be turned on."
elif [[ -x "$prefix/bin/vontalloginhelper" ]]; then
    echo "vontalloginhelper is installed in $prefix/bin, which is not on PATH:" \
        "\"Launch on login\" needs that folder on PATH."
else
    # Only vontal itself was built above; installing needs everything built.
    echo "vontalloginhelper is not installed: \"Launch on login\" needs it. Install vontal into" \
        "$prefix with: cd $(printf '%q' "$PWD") && cmake --build --preset default &&" \
        "sudo cmake --install build/default"
fi

exec "$program" "$@"
