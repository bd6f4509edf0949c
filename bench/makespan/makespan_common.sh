# shellcheck shell=bash disable=SC2154
# Shared by the makespan benchmarks (sourced): the task program that takes
# one second and records its times, the job, the controller run and the
# figures. The caller sets build_bin, ideal and work.

# Programs: the build's, with a task program that takes one second at least
# wherever it runs (a remote login's environment does not carry our variables),
# and that records when it began and ended: "task start end" in seconds.
make_programs() {
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
}

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

# The job in FOLDER/inv and its settings file FOLDER/settings.inp.
make_settings() {
    local folder=$1 servers=$2 use_rpc=$3 job=$4
    make_job "$folder/inv"
    printf '%s\r\n' "Nimbal_Controller settings V1.0" "" "Job ID" "$job" "" "Work Drive" \
        "$folder" "" "Work Folder" "Work" "" "Local Path" "$folder/inv/" "" \
        "Folder Share Name" "" "" "Max Tasks" "96" "" "Use RPC" "$use_rpc" "" "ServerList" \
        "$servers" >"$folder/settings.inp"
}

# The seconds Test Cluster Setup takes headless on these servers.
setup_test_time() {
    local servers=$1 use_rpc=$2 job=$3
    local folder=$work/job$job
    make_settings "$folder" "$servers" "$use_rpc" "$job"
    XDG_CONFIG_HOME=$folder/config timed zelkon-cluster-controller --headless --test-setup \
        --settings "$folder/settings.inp" "$folder/inv"
}

# Runs one cluster run headless, after any launcher words (salloc ...);
# prints "makespan whole" in seconds: from the run's start (its "Zelkon
# Cluster started" line) to the program's end, and the whole command.
controller_run() {
    local servers=$1 use_rpc=$2 job=$3
    shift 3
    local folder=$work/job$job
    make_settings "$folder" "$servers" "$use_rpc" "$job"
    local begin started end
    : >"$times"
    begin=$(date +%s.%N)
    XDG_CONFIG_HOME=$folder/config "$@" zelkon-cluster-controller --headless \
        --settings "$folder/settings.inp" "$folder/inv" 2>"$folder/err.txt" |
        while IFS= read -r line; do
            case $line in "Zelkon Cluster started at"*) date +%s.%N >"$folder/started" ;; esac
        done
    end=$(date +%s.%N)
    started=$(cat "$folder/started" 2>/dev/null || echo "$begin")
    grep -q "Job 96 complete" "$folder/inv/"*_process.log ||
        echo "run failed: $(cat "$folder/err.txt")" >&2
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
    printf '%-48s %7.1f ms  %7.1f ms  (%s waits)\n' "$1" "$median" "$p99" "$count"
}

timed() {
    local begin end
    begin=$(date +%s.%N)
    "$@" >/dev/null
    end=$(date +%s.%N)
    echo "$end - $begin" | bc
}

report() {
    printf '%-48s %7.2f s  %5.2f x ideal\n' "$1" "$2" "$(echo "$2 / $ideal" | bc -l)"
}
