#!/usr/bin/env bash
# Submits a batch of LoteOtimizador to Slurm as a job array of N shards, then
# a job that merges the shards' reports once every task has ended.
#
#   opt-array.sh [-t SEG] PASTA_LP PASTA_SAIDA [N] [-- sbatch options]
#
# N defaults to one task per 50 models (at least 1); each task gets
# ${CPUS:-1} CPUs and solves that many models at once. Assumes both folders
# on a file system that every node sees, and `loteotimizador` installed on
# the PATH of every node.
set -euo pipefail

usage() {
    echo "Uso: opt-array.sh [-t SEG] PASTA_LP PASTA_SAIDA [N] [-- opções do sbatch]" >&2
    exit 2
}

time_limit=0
if [ "${1:-}" = "-t" ]; then
    [ $# -ge 2 ] || usage
    time_limit="$2"
    shift 2
fi
[ $# -ge 2 ] || usage
models="$(realpath -m -- "$1")"
output="$(realpath -m -- "$2")"
shift 2
tasks=""
if [ $# -gt 0 ] && [ "$1" != "--" ]; then
    tasks="$1"
    shift
fi
if [ $# -gt 0 ]; then
    [ "$1" = "--" ] || usage
    shift
fi
sbatch_options=("$@")

[ -d "$models" ] || { echo "Pasta de .lps inexistente ou inválida: $models" >&2; exit 2; }
if [ -z "$tasks" ]; then
    count=$(find "$models" -mindepth 1 -maxdepth 1 -name '*lp' | wc -l)
    tasks=$(( (count + 49) / 50 ))
    [ "$tasks" -ge 1 ] || tasks=1
fi
[[ "$tasks" =~ ^[1-9][0-9]*$ ]] || { echo "Número de tarefas inválido: $tasks" >&2; exit 2; }
mkdir -p -- "$output"

task_command="loteotimizador --shard slurm -j \${SLURM_CPUS_PER_TASK:-1} -t $(printf '%q' "$time_limit") opt $(printf '%q' "$models") $(printf '%q' "$output")"
array_id=$(sbatch --parsable --job-name=loteotimizador --array="0-$((tasks - 1))" \
    --cpus-per-task="${CPUS:-1}" --output="$output/slurm-%A_%a.out" "${sbatch_options[@]}" \
    --wrap "$task_command")
array_id="${array_id%%;*}"
merge_id=$(sbatch --parsable --job-name=loteotimizador-merge --dependency="afterany:$array_id" \
    --output="$output/slurm-%j-merge.out" "${sbatch_options[@]}" \
    --wrap "loteotimizador merge $(printf '%q' "$output")")
merge_id="${merge_id%%;*}"
echo "job array: $array_id ($tasks tarefas)"
echo "job merge: $merge_id"
