#!/usr/bin/env bash
# Builds the programs and their two Debian packages into build/: the task
# server's (zelkon-task-server) and the controller's, which depends on it.
set -euo pipefail
cd "$(dirname "$0")/.."
ZELKON_BUILD_TARGETS=zelkon_installed scripts/setup.sh build
cd build
rm -f ./*.deb
cpack -G DEB
server=$(ls "$PWD"/zelkon-task-server_*.deb)
controller=$(ls "$PWD"/zelkon-cluster-controller_*.deb)
echo "Install on each task server:       apt install $server"
echo "Install on the controller's computer: apt install $server $controller"
