#!/usr/bin/env bash
# Installs what is missing, builds both presets, then runs the unit tests, a
# short run of every fuzz target and the end-to-end tests under Wine; fails
# when any of them fails.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh || exit 1

status=0
ctest --preset unit || status=1
bash scripts/fuzz.sh "${VELMORO_FUZZ_SECONDS:-60}" || status=1
ctest --preset e2e || status=1
exit "$status"
