#!/usr/bin/env bash
# Makespan of 96 tasks of one second each on the 8 CPUs of an allocation:
# the controller inside salloc with the server list "slurm" (every task a
# job step), the same 96 "sleep 1" as 8 loops of srun steps (the floor of a
# step per task), and as a job array. Starts a one-node
# scheduler cluster of its own (this computer as 8 CPUs, private folders and
# ports), as the tests do; needs root. Each figure is printed with its ratio
# to the ideal 96 x 1 s / 8 = 12 s; then the wait from a task's end to the
# next start on the same server, median and 99th percentile.
#
# Usage: bench/makespan/slurm_makespan.sh   (after scripts/setup.sh)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build_bin=$root/build/bin
ideal=12

work=$(mktemp -d /tmp/zelkon-slurm-makespan-XXXXXX)
chmod 755 "$work"
pids=()
cleanup() {
    scancel --user=root 2>/dev/null || true
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
    wait 2>/dev/null || true
    if [ -n "${KEEP:-}" ]; then echo "kept $work" >&2; else rm -rf "$work"; fi
}
trap cleanup EXIT

# shellcheck source-path=SCRIPTDIR source=makespan_common.sh
source "$root/bench/makespan/makespan_common.sh"
make_programs
export PATH="$PATH:/usr/sbin"

# The cluster: munged, slurmctld and slurmd in the foreground, as children.
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("",0)); print(s.getsockname()[1])'; }
mkdir -p "$work/state" "$work/spool" "$work/log" "$work/munge"
chmod 711 "$work/munge"
head -c 1024 /dev/urandom >"$work/munge/munge.key"
chmod 400 "$work/munge/munge.key"
host=$(hostname)
cat >"$work/slurm.conf" <<CONF
ClusterName=zelkonbench
SlurmctldHost=$host
SlurmctldPort=$(free_port)
SlurmdPort=$(free_port)
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$work/munge/munge.socket
SlurmUser=root
SlurmdUser=root
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/log/slurmctld.log
SlurmdLogFile=$work/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
SlurmdParameters=config_overrides
MpiDefault=none
SwitchType=switch/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
MailProg=/bin/true
ReturnToService=2
NodeName=znode1 NodeHostname=$host NodeAddr=127.0.0.1 CPUs=8 State=UNKNOWN
PartitionName=bench Nodes=znode1 Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF=$work/slurm.conf
munged --foreground --force --socket="$work/munge/munge.socket" \
    --key-file="$work/munge/munge.key" --log-file="$work/log/munged.log" \
    --pid-file="$work/munge/munged.pid" --seed-file="$work/munge/seed" 2>/dev/null &
pids+=($!)
sleep 1
slurmctld -D -c -f "$SLURM_CONF" >"$work/log/slurmctld.out" 2>&1 &
pids+=($!)
slurmd -D -f "$SLURM_CONF" -N znode1 >"$work/log/slurmd.out" 2>&1 &
pids+=($!)
for _ in $(seq 300); do
    [ "$(sinfo --noheader --nodes=znode1 --format=%t 2>/dev/null)" = idle ] && break
    sleep 0.1
done

read -r span whole < <(controller_run slurm No 1 salloc --quiet --nodes=1 --ntasks=8)
report "controller in salloc, slurm (8 steps): makespan" "$span"
report "controller in salloc, slurm (8 steps): whole" "$whole"

# The floor of a step per task: 8 shell loops, each running 12 steps of
# "sleep 1" one after another, with no controller at all.
begin=$(date +%s.%N)
salloc --quiet --nodes=1 --ntasks=8 bash -c 'for server in 1 2 3 4 5 6 7 8; do
    ( for task in $(seq 12); do
        srun --nodes=1 --ntasks=1 --cpus-per-task=1 --exact sleep 1; done ) &
    done; wait'
end=$(date +%s.%N)
report "8 loops of 12 srun steps, no controller" "$(echo "$end - $begin" | bc)"

# The same work as a job array of 96 one-CPU jobs.
begin=$(date +%s.%N)
sbatch --quiet --wait --array=1-96 --ntasks=1 --output=/dev/null --wrap="sleep 1" >/dev/null
end=$(date +%s.%N)
report "job array of 96 x sleep 1" "$(echo "$end - $begin" | bc)"

printf '%-48s %10s  %10s\n' "completion to next start, same server" median p99
wait_report "controller in salloc, slurm (8 steps)" 1
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
