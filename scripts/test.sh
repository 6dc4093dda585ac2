#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the full build and its tests, the Debian
# package (built, installed, run and removed), then the device link again under AddressSanitizer
# and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
ctest --preset default
scripts/package-test.sh build/default
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize
