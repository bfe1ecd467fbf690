#!/usr/bin/env bash
# Builds the test configuration (AddressSanitizer, UndefinedBehaviorSanitizer, warnings as errors)
# from nothing and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
. ./.scripts_common.sh
cuepilot_ensure_packages
cuepilot_ensure_test_server_user

rm -rf build/test
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DCUEPILOT_SANITIZE=ON -DCUEPILOT_WERROR=ON -DCUEPILOT_BENCH=OFF
cmake --build build/test -j"$(nproc)"
cd build/test
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
