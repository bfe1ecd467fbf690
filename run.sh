#!/usr/bin/env bash
# Builds the board in Release, creates the installation's files beside the program on first run
# (with demo content), and starts the board.
set -euo pipefail
cd "$(dirname "$0")"
. ./.scripts_common.sh
cuepilot_ensure_packages

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DCUEPILOT_TESTS=OFF -DCUEPILOT_BENCH=OFF >/dev/null
cmake --build build/release -j"$(nproc)"

bin=build/release/bin
# Program folder: Setup.mdb and Location.mdb beside the program; the content in Data/ under it.
./"$bin"/cuepilot-init --demo "$bin" "$bin/Data"
exec ./"$bin"/cuepilot "$@"
