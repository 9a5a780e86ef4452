#!/usr/bin/env bash
# Seeds as a batch dimension, measured: the bench's sixteen MIP models
# (bench/models/mip and bench/models/mip-quick) under five seeds, with
# SCIP's defaults and with a second setting, then comparar of the two runs:
# the tests' p-values, the brackets and each model's spread over the seeds.
#   bench/seeds.sh [BUILD_DIR] [OUT_DIR] [-- SETTING...]
# SETTING: the second run's SCIP options (default: -p presolving/maxrestarts=0).
# Writes OUT_DIR/{padrao,outro}/semente-K, OUT_DIR/comparar.txt, seeds.csv,
# variabilidade.csv and seeds.html.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build}"
out="${2:-$(mktemp -d /tmp/lote_seeds_XXXXXX)}"
shift $(( $# >= 2 ? 2 : $# ))
[ "${1:-}" = "--" ] && shift
setting=("$@")
[ ${#setting[@]} -gt 0 ] || setting=(-p presolving/maxrestarts=0)
bin="$build/loteotimizador"
mkdir -p "$out/models"
cp "$here"/models/mip/*.mps.gz "$here"/models/mip-quick/*.mps.gz "$out/models/"
cat "$here"/models/mip/miplib.solu "$here"/models/mip-quick/miplib.solu >"$out/miplib.solu"
common=(-t 120 -j 2 --formatos mps.gz --solu "$out/miplib.solu" --sementes 0-4)
# A batch that ends with status 1 (a wrong answer, a failed model) is still
# compared; its status is said.
for run in padrao outro; do
    extra=()
    [ "$run" = padrao ] || extra=("${setting[@]}")
    status=0
    "$bin" "${common[@]}" "${extra[@]}" opt "$out/models" "$out/$run" >"$out/$run.log" 2>&1 || status=$?
    echo "opt ($run) ended with status $status"
done
"$bin" comparar "$out/padrao" "$out/outro" --html "$out/seeds.html" --csv "$out/seeds.csv" \
    --csv-variabilidade "$out/variabilidade.csv" >"$out/comparar.txt"
echo "$out"
