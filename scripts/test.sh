#!/usr/bin/env bash
# Builds LoteOtimizador if needed and runs the whole test suite: the Linux
# build's tests, then the Windows program's under Wine (label "windows"),
# once scripts/windows/build.sh has made it.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$ROOT/scripts/setup.sh"
cd "$ROOT/build"
ctest --output-on-failure -j 2 -LE windows "$@"
bash "$ROOT/scripts/windows/build.sh"
ctest --output-on-failure -L windows "$@"
