#!/usr/bin/env bash
# Makespan of 96 tasks of one second each on 8 task servers: the controller
# on this computer (8 task servers) and on nodeA/4 + nodeB/4 over a private
# loopback sshd, with Use RPC cleared (ssh) and set (listeners); and, in the
# same run, GNU parallel running 96 "sleep 1" on 8 local slots and over the
# same ssh hosts. Each figure is printed with its ratio to the ideal
# 96 x 1 s / 8 = 12 s. Then, per way of starting tasks, the wait from a
# task's end (its log written, its semaphore gone) to the start of the next
# task on the same server: median and 99th percentile, in milliseconds.
#
# Usage: bench/makespan/makespan.sh   (after scripts/setup.sh; needs parallel)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build_bin=$root/build/bin
ideal=12

work=$(mktemp -d /tmp/zelkon-makespan-XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid_file in "$work/sshd/sshd.pid" "$work/sshd/sshd_b.pid"; do
        [ -f "$pid_file" ] && kill "$(cat "$pid_file")" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
[ -n "${KEEP:-}" ] && trap - EXIT

# Programs: the build's, with a task program that takes one second at least
# wherever it runs (a remote login's environment does not carry our variables),
# and that records when it began and ended: "task start end" in seconds.
bin=$work/bin
times=$work/times.txt
mkdir -p "$bin"
for program in "$build_bin"/*; do ln -s "$program" "$bin/"; done
rm "$bin/zelkon_cluster_task"
cat >"$bin/zelkon_cluster_task" <<TASK
#!/bin/bash
began=\$EPOCHREALTIME
ZELKON_TASK_MIN_SECONDS=1 $build_bin/zelkon_cluster_task "\$@"
status=\$?
echo "\$2 \$began \$EPOCHREALTIME" >>$times
exit \$status
TASK
chmod +x "$bin/zelkon_cluster_task"
export PATH="$bin:$PATH"

# A tiny job of 480 stations: 96 tasks of 5 data points.
make_job() {
    mkdir -p "$1"
    cat >"$1/zelkon.inp" <<'INP'
title = Makespan job
station_origin = 25 25
station_spacing = 50 50
station_count = 24 20
station_height = 5
mesh_origin = -200 -200 0
cell_size = 100 100 50
cell_count = 4 4 2
component = gz gz 1
threshold = 0
INP
}

# The private sshd: nodeA and nodeB, each with a runtime folder of its own.
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
mkdir -p "$work/sshd" "$work/run-a" "$work/run-b" "$work/net"
chmod 700 "$work/run-a" "$work/run-b"
"$root/tests/support/private_sshd.sh" "$work/sshd" "$(free_port)" "$(free_port)" "$(free_port)" \
    "$bin" "$work/run-a" "$work/run-b" >/dev/null
ssh_command="ssh -F $work/sshd/ssh_config"
host=$(hostname)
host=${host%%.*}
# Every machine reaches every other one's folders, this computer's included.
for machine in nodeA nodeB "$host"; do ln -s / "$work/net/$machine"; done
export ZELKON_NET_ROOT=$work/net ZELKON_SSH_COMMAND=$ssh_command

# Runs one cluster run headless; prints "makespan whole" in seconds: from the
# run's start (its "Zelkon Cluster started" line) to the program's end, and
# the whole command.
controller_run() {
    local servers=$1 use_rpc=$2 job=$3
    local folder=$work/job$job
    make_job "$folder/inv"
    printf '%s\r\n' "Nimbal_Controller settings V1.0" "" "Job ID" "$job" "" "Work Drive" \
        "$folder" "" "Work Folder" "Work" "" "Local Path" "$folder/inv/" "" \
        "Folder Share Name" "" "" "Max Tasks" "96" "" "Use RPC" "$use_rpc" "" "ServerList" \
        "$servers" >"$folder/settings.inp"
    local begin started end
    : >"$times"
    begin=$(date +%s.%N)
    XDG_CONFIG_HOME=$folder/config zelkon-cluster-controller --headless \
        --settings "$folder/settings.inp" "$folder/inv" 2>"$folder/err.txt" |
        while IFS= read -r line; do
            case $line in "Zelkon Cluster started at"*) date +%s.%N >"$folder/started" ;; esac
        done
    end=$(date +%s.%N)
    started=$(cat "$folder/started" 2>/dev/null || echo "$begin")
    grep -q "Zelkon Cluster" "$folder/inv/"*_process.log || echo "run failed: $(cat "$folder/err.txt")" >&2
    cp "$times" "$folder/times.txt"
    echo "$(echo "$end - $started" | bc) $(echo "$end - $begin" | bc)"
}

# Median and 99th percentile (nearest rank) of the wait, in ms, between one
# task's end and the next task's start on the same server (the server from
# the assembly log's last column).
start_waits() {
    python3 - "$work/job$1/times.txt" "$work/job$1"/inv/*_process.log <<'PY'
import math, re, sys
began, ended = {}, {}
for line in open(sys.argv[1]):
    task, start, end = line.split()
    began[int(task)], ended[int(task)] = float(start), float(end)
servers = {}
for line in open(sys.argv[2], errors="replace"):
    done = re.search(r" Job (\d+) complete on server (\S+)", line)
    if done:
        servers.setdefault(done.group(2), []).append(int(done.group(1)))
waits = []
for tasks in servers.values():
    tasks.sort(key=lambda task: began[task])
    waits += [1000 * (began[b] - ended[a]) for a, b in zip(tasks, tasks[1:])]
waits.sort()
rank = lambda p: waits[max(0, math.ceil(p * len(waits)) - 1)]
print(f"{rank(0.5):.1f} {rank(0.99):.1f} {len(waits)}")
PY
}

wait_report() {
    local median p99 count
    read -r median p99 count < <(start_waits "$2")
    printf '%-44s %7.1f ms  %7.1f ms  (%s waits)\n' "$1" "$median" "$p99" "$count"
}

timed() {
    local begin end
    begin=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    echo "$end - $begin" | bc
}

report() {
    printf '%-44s %7.2f s  %5.2f x ideal\n' "$1" "$2" "$(echo "$2 / $ideal" | bc -l)"
}

read -r local_span local_whole < <(controller_run "$host/8" No 1)
report "controller, this computer x 8: makespan" "$local_span"
report "controller, this computer x 8: whole command" "$local_whole"
read -r ssh_span ssh_whole < <(controller_run $'nodeA/4\r\nnodeB/4' No 2)
report "controller, nodeA/4 + nodeB/4, ssh: makespan" "$ssh_span"
report "controller, nodeA/4 + nodeB/4, ssh: whole" "$ssh_whole"

XDG_RUNTIME_DIR=$work/run-a zelkon-listener --max-clients 4 >/dev/null 2>&1 &
pids+=($!)
XDG_RUNTIME_DIR=$work/run-b zelkon-listener --max-clients 4 >/dev/null 2>&1 &
pids+=($!)
sleep 1
read -r rpc_span rpc_whole < <(controller_run $'nodeA/4\r\nnodeB/4' Yes 3)
report "controller, nodeA/4 + nodeB/4, RPC: makespan" "$rpc_span"
report "controller, nodeA/4 + nodeB/4, RPC: whole" "$rpc_whole"

# Each job is "sleep 1": the argument is the one second.
ones=$(printf '1 %.0s' $(seq 96))
report "GNU parallel -j8, this computer" \
    "$(timed parallel --will-cite -j8 sleep ::: $ones </dev/null)"
report "GNU parallel -S 4/nodeA,4/nodeB" \
    "$(timed parallel --will-cite --ssh "$ssh_command" -S 4/nodeA,4/nodeB sleep ::: $ones </dev/null)"

echo
printf '%-44s %10s  %10s\n' "completion to next start, same server" median p99
wait_report "controller, this computer x 8" 1
wait_report "controller, nodeA/4 + nodeB/4, ssh" 2
wait_report "controller, nodeA/4 + nodeB/4, RPC" 3
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
