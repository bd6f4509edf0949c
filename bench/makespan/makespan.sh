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

# shellcheck source-path=SCRIPTDIR source=makespan_common.sh
source "$root/bench/makespan/makespan_common.sh"
make_programs

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

# Test Cluster Setup on nodeA/4 + nodeB/4, the listeners still up.
printf '%-48s %7.2f s\n' \
    "Test Cluster Setup, nodeA/4 + nodeB/4, ssh" "$(setup_test_time $'nodeA/4\r\nnodeB/4' No 4)" \
    "Test Cluster Setup, nodeA/4 + nodeB/4, RPC" "$(setup_test_time $'nodeA/4\r\nnodeB/4' Yes 5)"

# What reaching nodeA costs: a whole login (what each machine's first pipe
# or starter costs), and a session through its open master connection (what
# each further pipe costs). Both run the login's start-up files.
master=(-o "ControlPath=$work/master")
login=$(timed $ssh_command "${master[@]}" -o ControlMaster=yes -o ControlPersist=30 nodeA true </dev/null)
session=$(timed $ssh_command "${master[@]}" nodeA true </dev/null)
$ssh_command "${master[@]}" -O exit nodeA 2>/dev/null || true
printf '%-48s %7.2f s\n' "one login to nodeA" "$login" "one session through its master" "$session"

echo
printf '%-44s %10s  %10s\n' "completion to next start, same server" median p99
wait_report "controller, this computer x 8" 1
wait_report "controller, nodeA/4 + nodeB/4, ssh" 2
wait_report "controller, nodeA/4 + nodeB/4, RPC" 3
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
