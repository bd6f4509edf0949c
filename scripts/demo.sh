#!/usr/bin/env bash
# Sets everything up, prepares a demo inversion folder for this computer and
# starts the controller on it: in its window when there is a display,
# otherwise headless.
set -euo pipefail
cd "$(dirname "$0")/.."
# The programs alone: scripts/test.sh builds the tests and benchmarks.
ZELKON_BUILD_TARGETS=zelkon_programs scripts/setup.sh build
export PATH="$PWD/build/bin:$PATH"

demo=${ZELKON_DEMO_DIR:-$HOME/zelkon-demo}
mkdir -p "$demo/inversion"
cp -n examples/demo/zelkon.inp "$demo/inversion/" 2>/dev/null || true
host=$(hostname); host=${host%%.*}
settings="$demo/demo-settings.inp"
printf '%s\r\n' "Nimbal_Controller settings V1.0" "" "Job ID" "1" "" "Work Drive" "$demo" "" \
    "Work Folder" "Work" "" "Local Path" "$demo/inversion/" "" "Folder Share Name" "" "" \
    "Max Tasks" "20" "" "Use RPC" "No" "" "ServerList" "$host/2" > "$settings"

echo "Demo inversion folder: $demo/inversion (settings: $settings)"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec zelkon-cluster-controller --test-setup --settings "$settings" "$demo/inversion" "$@"
fi
zelkon-cluster-controller --headless --test-setup --settings "$settings" "$demo/inversion" "$@" ||
    echo "(the set-up test ended with exit code $?)"
