#!/usr/bin/env bash
# Installs what is needed, builds vontal and starts it. Arguments go to vontal (try --simulate).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target vontal
exec build/default/ui/vontal "$@"
