#!/usr/bin/env bash
# Builds LoteOtimizador if needed, then runs it with the given arguments
# (none: the shell; "opt examples/lp saida": a batch on the bundled examples).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$ROOT/scripts/setup.sh"
exec "$ROOT/build/loteotimizador" "$@"
