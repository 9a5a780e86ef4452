#!/usr/bin/env bash
# Builds LoteOtimizador if needed and starts its shell.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$ROOT/scripts/setup.sh"
exec "$ROOT/build/loteotimizador"
