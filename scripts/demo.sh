#!/usr/bin/env bash
# Sets everything up and starts the controller.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build
export PATH="$PWD/build/bin:$PATH"
exec zelkon-cluster-controller "$@"
