#!/usr/bin/env bash
# Sets everything up, prepares a demo inversion folder for this computer and
# runs a whole cluster run on it: in the controller's window when there is a
# display, otherwise headless. At the end it shows the matrix files and
# checks them.
set -euo pipefail
cd "$(dirname "$0")/.."
# The programs alone: scripts/test.sh builds the tests and benchmarks.
ZELKON_BUILD_TARGETS=zelkon_programs scripts/setup.sh build
export PATH="$PWD/build/bin:$PATH"

demo=${ZELKON_DEMO_DIR:-$HOME/zelkon-demo}
inversion="$demo/inversion"
mkdir -p "$inversion"
cp -n examples/demo/zelkon.inp "$inversion/" 2>/dev/null || true
# What an earlier demo run wrote, so that this one starts afresh rather than
# offering to continue a finished matrix.
rm -f "$inversion"/parvex*.mtx "$inversion"/zelkon_cluster_* "$inversion"/Zelkon_job_* \
    "$inversion"/gtg.dat "$inversion"/layer_response.dat
host=$(hostname); host=${host%%.*}
settings="$demo/demo-settings.inp"
# Two task servers on this computer, started without ssh; 20 tasks.
printf '%s\r\n' "Nimbal_Controller settings V1.0" "" "Job ID" "1" "" "Work Drive" "$demo" "" \
    "Work Folder" "Work" "" "Local Path" "$inversion/" "" "Folder Share Name" "" "" \
    "Max Tasks" "20" "" "Use RPC" "No" "" "ServerList" "$host/2" > "$settings"

echo "Demo inversion folder: $inversion (settings: $settings)"
code=0
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "The window runs the demo and closes itself when the run has finished."
    zelkon-cluster-controller --settings "$settings" "$inversion" "$@" || code=$?
else
    zelkon-cluster-controller --headless --settings "$settings" "$inversion" "$@" || code=$?
fi
if [ "$code" -ne 0 ]; then
    echo "The run ended with exit code $code; its process log is in $inversion." >&2
    exit "$code"
fi

matrices=("$inversion"/parvex*.mtx)
if [ ! -e "${matrices[0]}" ]; then
    echo "The run wrote no matrix file into $inversion." >&2
    exit 1
fi
echo
echo "Matrix files:"
ls -l "${matrices[@]}"
echo "Assembly log: $inversion/zelkon_cluster_1_assembly.dat"
echo "Process log:  $inversion/zelkon_cluster_1_process.log"
echo
zelkon_matrix_check "${matrices[@]}"
