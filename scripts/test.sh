#!/usr/bin/env bash
# Installs what is missing, builds both presets, then runs the unit tests and
# the end-to-end tests under Wine; fails when either fails.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh || exit 1

status=0
ctest --preset unit || status=1
ctest --preset e2e || status=1
exit "$status"
