#!/usr/bin/env bash
# Submits a batch of LoteOtimizador to Slurm as a job array of N shards, then
# a job that merges the shards' reports once every task has ended.
#
#   opt-array.sh [-t SEG] [--retomar] [SCIP settings] [--historico PASTA] PASTA_LP|LISTA PASTA_SAIDA [N] [-- sbatch options]
# LISTA: a file naming the models, one path a line (relative to its
# folder), as the program takes it.
# SCIP settings: --scip ARQ, --parametros ARQ, -p NOME=VALOR, --formatos LISTA,
# --logs, --semente N, --sementes LISTA, --variantes NOME=ARQ,..., --corrida,
# as the program takes them (--scip and the settings files by their full
# paths; without --scip, LOTE_SCIP's library if set); every task gets them,
# and --historico PASTA (the complete report whose times order each task's
# hand-out; without it, PASTA_SAIDA's own, if any). With --sementes or
# --variantes each task solves its models under every seed and variant, into
# PASTA_SAIDA/semente-K, PASTA_SAIDA/variante-NOME or
# PASTA_SAIDA/variante-NOME/semente-K, and the merge joins each such folder.
#
# N defaults to one task per 50 models (entries of the --formatos, or the
# list's lines that are neither blank nor comments; at least 1; with
# --sementes or --variantes, per 50 runs of a model); each task gets
# ${CPUS:-1} CPUs and solves that many models at once (with --corrida, a
# task's idle CPUs race its running models: give it CPUS=2 or more). With
# --retomar every task resumes its part from what an earlier array left in
# PASTA_SAIDA (N defaults to that array's), so an array stopped at its time
# limit or by scancel goes on where it stopped. Assumes both folders on a
# file system that every node sees, and `loteotimizador` installed on the
# PATH of every node.
set -euo pipefail

usage() {
    echo "Uso: opt-array.sh [-t SEG] [--retomar] [--scip ARQ] [--parametros ARQ] [-p NOME=VALOR]... [--formatos LISTA] [--logs] [--semente N] [--sementes LISTA] [--variantes NOME=ARQ,...] [--corrida] [--historico PASTA] PASTA_LP|LISTA PASTA_SAIDA [N] [-- opções do sbatch]" >&2
    exit 2
}

time_limit=0
resume=""
scip_options=()
scip_library="${LOTE_SCIP:-}"
formats="lp"
seeds=1
variants=1
while [ $# -gt 0 ]; do
    case "$1" in
        -t) [ $# -ge 2 ] || usage; time_limit="$2"; shift 2 ;;
        --retomar) resume="--retomar"; shift ;;
        # SCIP's settings, passed on to every task (a settings file by its full path).
        --parametros) [ $# -ge 2 ] || usage; scip_options+=("$1" "$(realpath -m -- "$2")"); shift 2 ;;
        # The SCIP library every task runs on (the merge refuses parts run under different ones).
        --scip) [ $# -ge 2 ] || usage; scip_library="$2"; shift 2 ;;
        # The earlier report that orders the hand-out, by its folder's full path.
        --historico) [ $# -ge 2 ] || usage; scip_options+=("$1" "$(realpath -m -- "$2")"); shift 2 ;;
        --formatos) [ $# -ge 2 ] || usage; formats="$2"; scip_options+=("$1" "$2"); shift 2 ;;
        -p | --parametro | --semente) [ $# -ge 2 ] || usage; scip_options+=("$1" "$2"); shift 2 ;;
        --sementes)
            [ $# -ge 2 ] || usage
            # How many seeds the list names (the program checks the list
            # itself; a list it would refuse is refused here, before sbatch).
            [[ "$2" =~ ^[0-9]+(-[0-9]+)?(,[0-9]+(-[0-9]+)?)*$ ]] || { echo "Sementes inválidas: $2" >&2; exit 2; }
            seeds=0
            IFS=',' read -r -a pieces <<<"$2"
            for piece in "${pieces[@]}"; do
                first="${piece%-*}" last="${piece#*-}"
                (( ${#first} <= 10 && ${#last} <= 10 && 10#$last >= 10#$first )) ||
                    { echo "Sementes inválidas: $2" >&2; exit 2; }
                seeds=$(( seeds + 10#$last - 10#$first + 1 ))
            done
            (( seeds <= 100 )) || { echo "Sementes inválidas: $2 (até 100)" >&2; exit 2; }
            scip_options+=("$1" "$2"); shift 2 ;;
        --variantes)
            [ $# -ge 2 ] || usage
            # Each variant's settings file by its full path ("NOME=": SCIP's
            # defaults), checked as the program checks the list, before sbatch.
            [[ "$2" != *, && "$2" != ,* && "$2" != *,,* ]] || { echo "Variantes inválidas: $2" >&2; exit 2; }
            variants=0
            given=""
            names=" "
            IFS=',' read -r -a pieces <<<"$2"
            for piece in "${pieces[@]}"; do
                name="${piece%%=*}" file="${piece#*=}"
                [[ "$piece" == *=* && "$name" =~ ^[A-Za-z0-9_-][A-Za-z0-9_.-]{0,63}$ && "$names" != *" $name "* ]] ||
                    { echo "Variantes inválidas: $2" >&2; exit 2; }
                [ -z "$file" ] || [ -r "$file" ] ||
                    { echo "Arquivo de parâmetros do SCIP não pode ser lido: $file" >&2; exit 2; }
                [ -z "$file" ] || file="$(realpath -m -- "$file")"
                given+="${given:+,}$name=$file"
                names+="$name "
                variants=$((variants + 1))
            done
            (( variants <= 20 )) || { echo "Variantes inválidas: $2 (até 20)" >&2; exit 2; }
            scip_options+=("$1" "$given"); shift 2 ;;
        --logs | --corrida) scip_options+=("$1"); shift ;;
        *) break ;;
    esac
done
[ $# -ge 2 ] || usage
[ -z "$scip_library" ] || scip_options+=(--scip "$(realpath -m -- "$scip_library")")
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

# A word quoted for any POSIX shell (the jobs run under /bin/sh).
q() { printf "'%s'" "$(printf '%s' "$1" | sed "s/'/'\\\\''/g")"; }

[ -d "$models" ] || [ -f "$models" ] || { echo "Pasta de .lps inexistente ou inválida: $models" >&2; exit 2; }
# A list is checked as the program checks it, before any job is submitted:
# every task would refuse it, and the merge job would call them unfinished.
list_models=0
if [ -f "$models" ]; then
    case "${models##*/}" in
        *.lp | *.lp.gz | *.mps | *.mps.gz | *.cip | *.opb)
            echo "$models é um modelo, não uma lista de modelos" >&2; exit 2 ;;
    esac
    problems=""
    declare -A seen=()
    n=0
    while IFS= read -r line || [ -n "$line" ]; do
        n=$((n + 1))
        line="${line#"${line%%[![:space:]]*}"}"
        line="${line%"${line##*[![:space:]]}"}"
        if [ -z "$line" ] || [ "${line:0:1}" = "#" ]; then continue; fi
        list_models=$((list_models + 1))
        case "$line" in /*) path="$line" ;; *) path="$(dirname "$models")/$line" ;; esac
        [ -f "$path" ] || problems+="$models, linha $n: $path não existe ou não é um arquivo"$'\n'
        name="${path##*/}"
        if [ -n "$name" ] && [ -n "${seen[$name]:-}" ]; then
            problems+="$models, linhas ${seen[$name]} e $n: dois modelos com o nome $name"$'\n'
        elif [ -n "$name" ]; then
            seen[$name]=$n
        fi
    done <"$models"
    [ "$list_models" -gt 0 ] || problems+="A lista de modelos $models não nomeia nenhum modelo"$'\n'
    [ -z "$problems" ] || { printf '%s' "$problems" >&2; exit 2; }
fi
if [ -z "$tasks" ] && [ -n "$resume" ] && [ -d "$output" ]; then
    # The count of the array that is resumed, from its parts' records.
    shopt -s nullglob
    records=("$output"/sol_stat.parte-*-de-*.info "$output"/semente-*/sol_stat.parte-*-de-*.info
        "$output"/variante-*/sol_stat.parte-*-de-*.info "$output"/variante-*/semente-*/sol_stat.parte-*-de-*.info)
    shopt -u nullglob
    counts=$(printf '%s\n' "${records[@]}" | sed -n 's/.*-de-\([0-9]*\)\.info$/\1/p' | sort -un)
    if [ "$(printf '%s\n' "$counts" | grep -c .)" -gt 1 ]; then
        echo "Há partes de lotes divididos de formas diferentes em $output: diga N." >&2
        exit 2
    fi
    tasks="$counts"
fi
if [ -z "$tasks" ]; then
    # The models: entries whose names end in one of the formats.
    names=()
    IFS=',' read -r -a endings <<<"$formats"
    for ending in "${endings[@]}"; do names+=(-o -name "*$ending"); done
    if [ -f "$models" ]; then
        count=$list_models
    else
        count=$(find "$models" -mindepth 1 -maxdepth 1 \( "${names[@]:1}" \) | wc -l)
    fi
    # Parts split the models (each part solves its models under every seed).
    tasks=$(( (count * seeds * variants + 49) / 50 ))
    [ "$tasks" -le "$count" ] || tasks=$count
    [ "$tasks" -ge 1 ] || tasks=1
fi
(( seeds * variants <= 100 )) || { echo "--sementes e --variantes: no máximo 100 pastas (sementes vezes variantes)" >&2; exit 2; }
[[ "$tasks" =~ ^[1-9][0-9]*$ ]] || { echo "Número de tarefas inválido: $tasks" >&2; exit 2; }
mkdir -p -- "$output"

scip_words=""
for option in "${scip_options[@]}"; do scip_words+=" $(q "$option")"; done
task_command="loteotimizador --shard slurm $resume -j \${SLURM_CPUS_PER_TASK:-1} -t $(q "$time_limit")$scip_words opt $(q "$models") $(q "$output")"
# What resumes this array where it stopped, with the same CPUs, SCIP settings and sbatch options.
resume_command="CPUS=${CPUS:-1} $(q "$(realpath "$0")") -t $(q "$time_limit")$scip_words --retomar $(q "$models") $(q "$output") $tasks"
if [ "${#sbatch_options[@]}" -gt 0 ]; then
    resume_command+=" --"
    for option in "${sbatch_options[@]}"; do resume_command+=" $(q "$option")"; done
fi
array_id=$(sbatch --parsable --job-name=loteotimizador --array="0-$((tasks - 1))" \
    --cpus-per-task="${CPUS:-1}" --output="$output/slurm-%A_%a.out" "${sbatch_options[@]}" \
    --wrap "$task_command")
array_id="${array_id%%;*}"
merge_command="loteotimizador merge $(q "$output") || { printf '%s\\n' $(q "Partes incompletas: para retomá-las, rode $resume_command") >&2; exit 1; }"
merge_id=$(sbatch --parsable --job-name=loteotimizador-merge --dependency="afterany:$array_id" \
    --output="$output/slurm-%j-merge.out" "${sbatch_options[@]}" \
    --wrap "$merge_command")
merge_id="${merge_id%%;*}"
echo "job array: $array_id ($tasks tarefas)"
echo "job merge: $merge_id"
echo "se o merge achar partes incompletas (tempo esgotado, scancel): $resume_command"
