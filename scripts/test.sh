#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the full build and its tests, the Debian
# package (built, installed, run and removed), then the device link again under AddressSanitizer
# and UndefinedBehaviorSanitizer. Then the same installer, build, tests and package step again in
# a root of Debian 13 (trixie) and one of Debian unstable (sid), made with mmdebstrap and kept
# between runs (scripts/test-suite.sh).
#   VONTAL_TEST_SUITES="trixie"  only these other suites; "" (or VONTAL_TEST_HOST_ONLY=1) none
# CI always runs all of them.
set -euo pipefail
cd "$(dirname "$0")/.."
suites=${VONTAL_TEST_SUITES-trixie sid}
if [ -n "${VONTAL_TEST_HOST_ONLY:-}" ]; then suites=""; fi
if [ -n "${CI:-}" ]; then suites="trixie sid"; fi

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default
ctest --preset default
scripts/package-test.sh build/default
cmake --preset sanitize
cmake --build --preset sanitize
ctest --preset sanitize
for suite in $suites; do
  scripts/test-suite.sh "$suite"
done
