#!/usr/bin/env bash
# Builds the programs and their Debian package into build/: one package for the
# controller's computer and every task server.
set -euo pipefail
cd "$(dirname "$0")/.."
ZELKON_BUILD_TARGETS=zelkon_installed scripts/setup.sh build
cd build
rm -f ./*.deb
cpack -G DEB
echo "Install it on each machine with: apt install $(ls "$PWD"/*.deb)"
