#!/usr/bin/env bash
# Benchmark of LoteOtimizador against the same SCIP driven from Python, glpsol
# and cbc, on the models bundled in tests/models. Installs what it needs, then
# runs bench.py.
#   TIME_LIMIT=60 REPEATS=3 bash bench/run.sh
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$ROOT/scripts/setup.sh"
missing=()
for p in glpk-utils coinor-cbc gnuplot-nox; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi
PYDEPS="$ROOT/build/bench-py"
if [ ! -d "$PYDEPS/pyscipopt" ]; then
    python3 -m pip install -q --disable-pip-version-check --root-user-action=ignore \
        --target "$PYDEPS" pyscipopt==6.3.0 >&2
fi
export PYTHONPATH="$PYDEPS"
exec python3 "$ROOT/bench/bench.py" \
    --binary "$ROOT/build/loteotimizador" \
    --models "$ROOT/tests/models/lp" \
    --mathprog "$ROOT/tests/models/mathprog" \
    --out "$ROOT/bench/results" \
    --time-limit "${TIME_LIMIT:-60}" --repeats "${REPEATS:-3}"
