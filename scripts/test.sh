#!/usr/bin/env bash
# Builds LoteOtimizador if needed and runs the whole test suite.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$ROOT/scripts/setup.sh"
cd "$ROOT/build"
ctest --output-on-failure -j 2 "$@"
