#!/usr/bin/env bash
# A machine that is down at the set-up, with Use RPC: the server list is this
# computer and deadhost/8, where deadhost is an address on which nothing
# answers (DEAD_ADDRESS, 10.255.255.1 by default). Prints the time from the
# start of Test Cluster Setup to its verdict with the reason ssh gave, and
# the time from a SIGTERM, sent while deadhost's pipe is being opened, to the
# program's end.
#
# Usage: bench/dead_machine/dead_machine.sh   (after building; ZELKON_BIN
# names another folder of programs, such as an older build's, to compare)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=${ZELKON_BIN:-$root/build/bin}
address=${DEAD_ADDRESS:-10.255.255.1}

work=$(mktemp -d /tmp/zelkon-dead-machine-XXXXXX)
listener=
cleanup() {
    [ -n "$listener" ] && kill "$listener" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

export PATH="$bin:$PATH"
export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config ZELKON_NET_ROOT=$work/net
mkdir -m 700 "$work/run"
mkdir -p "$work/net" "$work/inv"
host=$(hostname)
host=${host%%.*}
# Both machines reach the job folder at the same path.
for machine in deadhost "$host"; do ln -s / "$work/net/$machine"; done
printf 'Host deadhost\n  HostName %s\n  StrictHostKeyChecking no\n  UserKnownHostsFile /dev/null\n' \
    "$address" >"$work/ssh_config"
export ZELKON_SSH_COMMAND="ssh -F $work/ssh_config"
cp "$root/examples/demo/zelkon.inp" "$work/inv/"
printf '%s\r\n' "Nimbal_Controller settings V1.0" "" "Job ID" "5" "" "Work Drive" "$work" "" \
    "Work Folder" "Work" "" "Local Path" "$work/inv/" "" "Folder Share Name" "" "" \
    "Max Tasks" "20" "" "Use RPC" "Yes" "" "ServerList" "$host" "deadhost/8" >"$work/settings.inp"
zelkon-listener --max-clients 1 >/dev/null 2>&1 &
listener=$!
sleep 1

now() { date +%s.%N; }
seconds() { echo "$2 - $1" | bc; }

begin=$(now)
status=0
zelkon-cluster-controller --headless --test-setup --job 5 --settings "$work/settings.inp" \
    "$work/inv" >"$work/test.out" 2>"$work/test.err" || status=$?
end=$(now)
printf 'Test Cluster Setup, %s + deadhost/8 at %s: verdict after %.2f s (exit %d)\n' \
    "$host" "$address" "$(seconds "$begin" "$end")" "$status"
echo "  ssh's reason: $(grep -m1 '^deadhost: ' "$work/test.out" | cut -d' ' -f2- || echo none)"
echo "  info file: $(grep -c 'RPC pipe [0-9]* failed' "$work/inv/"*5.info) failed attempts," \
    "$(grep -c 'not tried' "$work/inv/"*5.info) task servers not tried"

zelkon-cluster-controller --headless --job 6 --settings "$work/settings.inp" "$work/inv" \
    >"$work/run.out" 2>"$work/run.err" &
controller=$!
until grep -q 'Server: deadhost/0' "$work/run.out"; do sleep 0.05; done
sleep 1 # the login is under way
sent=$(now)
kill -TERM "$controller"
status=0
wait "$controller" || status=$?
ended=$(now)
printf 'SIGTERM while deadhost'"'"'s pipe opens: the program ended %.2f s later (exit %d)\n' \
    "$(seconds "$sent" "$ended")" "$status"
echo "  $(grep -m1 'stopped by a signal' "$work/run.err" || echo 'no word of the signal')"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
