#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test of one preset
# (default when none is named): scripts/test.sh [default|debug|asan]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}

bash scripts/deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset" --timeout 300
