#!/usr/bin/env bash
# The racing benchmark (bench/race.py) on bench/models/mip: builds the
# program and installs pyscipopt if needed, then runs every phase.
#   REPEATS=3 bash bench/race.sh [--phase seeds|alone|batch|simulate]
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$ROOT/scripts/setup.sh"
dpkg-query -W -f='${Status}' gnuplot-nox 2>/dev/null | grep -q "install ok installed" || {
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq gnuplot-nox >/dev/null
}
PYDEPS="$ROOT/build/bench-py"
if [ ! -d "$PYDEPS/pyscipopt" ]; then
    python3 -m pip install -q --disable-pip-version-check --root-user-action=ignore \
        --target "$PYDEPS" pyscipopt==6.3.0 >&2
fi
export PYTHONPATH="$PYDEPS"
exec python3 "$ROOT/bench/race.py" --binary "$ROOT/build/loteotimizador" --models "$ROOT/bench/models/mip" \
    --out "$ROOT/bench/results" --repeats "${REPEATS:-3}" "$@"
