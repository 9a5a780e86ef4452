#!/usr/bin/env bash
# Starts a real single-node Slurm cluster (MUNGE, controller, one compute
# daemon), submits the bundled LP models through scripts/slurm/opt-array.sh as
# 3 shards, waits for the merge job and compares the merged report with an
# unsharded run of the same batch. Then an array under two seeds, stopped mid-run by scancel
# (which signals every process of every task) is resumed with the command
# the script prints, and each seed's merge compared likewise. Exit 77 (skipped)
# without root or Slurm.
#   slurm_cluster.sh BUILD_DIR SOURCE_DIR MODELS   (MODELS: tests/models/lp)
set -euo pipefail
BUILD="$1"
SOURCE="$2"
MODELS="$3"

if [ "$(id -u)" -ne 0 ]; then echo "skipped: needs root"; exit 77; fi
for tool in munged slurmctld slurmd sbatch squeue scontrol sinfo; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool not installed"; exit 77; }
done

T="$(mktemp -d /tmp/lote_slurm_XXXXXX)"
cleanup() {
    SLURM_CONF="$T/slurm.conf" scontrol shutdown >/dev/null 2>&1 || true
    for pidfile in "$T/slurmctld.pid" "$T/slurmd.pid" "$T/munge/munged.pid"; do
        [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null || true
    done
    sleep 0.5
    rm -rf "$T"
}
trap cleanup EXIT

# MUNGE, with its own key and socket.
mkdir -p "$T/munge" "$T/state" "$T/spool"
chmod 0755 "$T" "$T/munge"
dd if=/dev/urandom of="$T/munge/munge.key" bs=1 count=1024 status=none
chmod 0600 "$T/munge/munge.key"
munged --force --key-file="$T/munge/munge.key" --socket="$T/munge/munge.socket" \
    --pid-file="$T/munge/munged.pid" --log-file="$T/munge/munged.log" --seed-file="$T/munge/munged.seed"

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
host="$(hostname -s)"
node="$(slurmd -C | head -1)"
cat > "$T/slurm.conf" <<CONF
ClusterName=lote
SlurmctldHost=$host
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$T/munge/munge.socket
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
StateSaveLocation=$T/state
SlurmdSpoolDir=$T/spool
SlurmctldPidFile=$T/slurmctld.pid
SlurmdPidFile=$T/slurmd.pid
SlurmctldLogFile=$T/slurmctld.log
SlurmdLogFile=$T/slurmd.log
SlurmctldPort=$(free_port)
SlurmdPort=$(free_port)
MailProg=/bin/true
ReturnToService=2
SchedulerParameters=batch_sched_delay=0
MinJobAge=5
$node State=UNKNOWN
PartitionName=debug Nodes=ALL Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF="$T/slurm.conf"

wait_for() {  # seconds, command...
    local limit=$1
    shift
    for _ in $(seq 1 $((limit * 10))); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.1
    done
    return 1
}
slurmctld -f "$SLURM_CONF"
wait_for 20 bash -c 'scontrol ping | grep -q UP' || { echo "slurmctld did not start"; cat "$T/slurmctld.log"; exit 1; }
slurmd -f "$SLURM_CONF"
wait_for 30 bash -c '[ "$(sinfo -h -o %T | head -1)" = idle ]' || { echo "slurmd did not start"; cat "$T/slurmd.log"; exit 1; }

export PATH="$BUILD:$PATH"
# Under the second SCIP of the build (9.2), named by LOTE_SCIP: the script
# passes it on to every task by its full path.
SCIP9="$(realpath "$(ls "$BUILD"/deps/pyscipopt-9/pyscipopt.libs/libscip*.so* | head -1)")"
[ -f "$SCIP9" ] || { echo "the second SCIP library is missing: run scripts/setup.sh"; exit 1; }
export LOTE_SCIP="$SCIP9"
# Two CPUs per task, racing the running models at each task's tail.
submitted="$(CPUS=2 bash "$SOURCE/scripts/slurm/opt-array.sh" -t 60 --corrida "$MODELS" "$T/out" 3)"
echo "$submitted"
merge_id="$(sed -n 's/^job merge: //p' <<<"$submitted")"
[ -n "$merge_id" ] || { echo "no merge job id"; exit 1; }
wait_for 600 bash -c "[ -z \"\$(squeue -h -j $merge_id 2>/dev/null)\" ]" || { echo "merge job did not end"; exit 1; }

loteotimizador -t 60 opt "$MODELS" "$T/full" >/dev/null 2>&1 || true
mask() { sed -E 's/^([^;]*);[0-9]+,[0-9]+;/\1;T;/' "$1"; }
for i in 1 2 3; do
    [ -f "$T/out/sol_stat.parte-$i-de-3.info" ] || { echo "part $i missing"; ls "$T/out"; exit 1; }
done
if ! diff <(mask "$T/full/sol_stat.csv") <(mask "$T/out/sol_stat.csv"); then
    echo "merged report differs from the unsharded one"
    cat "$T"/out/slurm-*.out
    exit 1
fi
grep -q "^# --corrida: .* 2 processos" "$T/out/parametros.parte-1-de-3.set" ||
    { echo "the tasks did not race with 2 workers"; cat "$T/out/parametros.parte-1-de-3.set"; exit 1; }
for i in 1 2 3; do
    grep -qxF "# SCIP, biblioteca: $SCIP9" "$T/out/parametros.parte-$i-de-3.set" &&
        grep -qF -- " --scip $SCIP9 " "$T/out/parametros.parte-$i-de-3.set" ||
        { echo "task $i did not run under --scip $SCIP9"; cat "$T/out/parametros.parte-$i-de-3.set"; exit 1; }
done
unset LOTE_SCIP
echo "merged report of 3 array tasks equals the unsharded report ($(($(wc -l < "$T/full/sol_stat.csv") - 1)) rows)"

# An array under two seeds stopped by scancel while its tasks run, then resumed.
S="$T/stop"
mkdir -p "$S/m"
# Quick models (far inside the limit even on a loaded machine), and three
# that run into it.
for model in 1-FullIns_3 MANN_a9.clq Side egout flugpl lseu p0548 stein27_inf; do cp "$MODELS/$model.lp" "$S/m/"; done
for i in 1 2 3; do cp "$SOURCE/tests/models/timelimit/markshare5.lp" "$S/m/zz_long$i.lp"; done
# The array runs on a list of the folder's models, in the folder's order, beside it.
mkdir -p "$S/listas"
{ echo "# the folder's models"; echo; (cd "$S/m" && LC_ALL=C ls | sed 's|^|../m/|'); } >"$S/listas/todos.test"
submitted="$(bash "$SOURCE/scripts/slurm/opt-array.sh" -t 8 --sementes 0,1 "$S/listas/todos.test" "$S/out" 3)"
array_id="$(sed -n 's/^job array: \([0-9]*\).*/\1/p' <<<"$submitted")"
merge_id="$(sed -n 's/^job merge: //p' <<<"$submitted")"
[ -n "$array_id" ] || { echo "no array id: $submitted"; exit 1; }
# Stopped once some models of the running tasks have finished.
wait_for 120 bash -c "[ \$(cat $S/out/semente-*/sol_stat.parte-*-de-3.csv 2>/dev/null | grep -vc '^NOME') -ge 4 ]" ||
    { echo "the array did not start"; exit 1; }
scancel "$array_id"
wait_for 120 bash -c "[ -z \"\$(squeue -h -j $merge_id 2>/dev/null)\" ]" || { echo "merge job did not end"; exit 1; }
if grep -h ERRO "$S"/out/semente-*/sol_stat.parte-*.csv; then echo "a stopped model was reported as failed"; exit 1; fi
# The merge job says how to resume; that command is run as it stands.
resume="$(sed -n 's/^Partes incompletas: para retomá-las, rode //p' "$S/out/slurm-$merge_id-merge.out")"
[ -n "$resume" ] || { echo "the merge did not say how to resume"; cat "$S"/out/slurm-*-merge.out; exit 1; }
resubmitted="$(eval "$resume")"
merge_id="$(sed -n 's/^job merge: //p' <<<"$resubmitted")"
wait_for 300 bash -c "[ -z \"\$(squeue -h -j $merge_id 2>/dev/null)\" ]" || { echo "resumed merge job did not end"; exit 1; }
array_id="$(sed -n 's/^job array: \([0-9]*\).*/\1/p' <<<"$resubmitted")"
grep -q "linha mantida" "$S"/out/slurm-"$array_id"_*.out || { echo "the resumed array kept no row"; exit 1; }
loteotimizador -t 8 --sementes 0,1 opt "$S/m" "$S/full" >/dev/null 2>&1 || true
# Times masked, and the values of models stopped by their time limit.
mask_limited() { sed -E 's/^([^;]*);[0-9]+,[0-9]+;/\1;T;/; s/^([^;]*;T;PROCESSO INTERROMPIDO - LIMITE DE TEMPO;).*/\1X/' "$1"; }
for seed in 0 1; do
    if ! diff <(mask_limited "$S/full/semente-$seed/sol_stat.csv") <(mask_limited "$S/out/semente-$seed/sol_stat.csv"); then
        echo "resumed array's merged report of seed $seed differs from the unsharded one"
        cat "$S"/out/slurm-*.out
        exit 1
    fi
    grep -q "^# --semente: $seed$" "$S/out/semente-$seed/parametros.set" || { echo "seed $seed not recorded"; exit 1; }
    grep -qxF "# lista de modelos: $S/listas/todos.test" "$S/out/semente-$seed/parametros.set" ||
        { echo "the list is not recorded"; cat "$S/out/semente-$seed/parametros.set"; exit 1; }
done
echo "an array on a list under two seeds stopped by scancel and resumed merges to the unsharded report of each seed ($(($(wc -l < "$S/full/semente-0/sol_stat.csv") - 1)) rows each)"
