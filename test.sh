#!/usr/bin/env bash
# Builds the test configuration (AddressSanitizer, UndefinedBehaviorSanitizer, warnings as errors)
# from nothing and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
. ./.scripts_common.sh
cuepilot_ensure_packages
cuepilot_ensure_test_server_user
# The hung-share test mounts a network drive in miniature (FUSE) where the machine allows it and
# skips itself elsewhere, so these two are wanted, not required.
if [ "$(id -u)" = 0 ] && ! dpkg -s fuse3 python3-fusepy >/dev/null 2>&1; then
    apt-get install -y -qq fuse3 python3-fusepy >/dev/null 2>&1 ||
        echo "fuse3 and python3-fusepy not installed: the hung-share test will be skipped"
fi

# The folders stay layered: a lower one never includes a higher one, and links what it includes.
python3 .scripts/check_layering.py

# Every source keeps the project's format.
git ls-files '*.cpp' '*.h' 2>/dev/null | xargs clang-format --dry-run -Werror ||
    { echo "sources differ from .clang-format: run clang-format -i on them" >&2; exit 1; }

rm -rf build/test
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DCUEPILOT_SANITIZE=ON -DCUEPILOT_WERROR=ON -DCUEPILOT_BENCH=OFF
cmake --build build/test -j"$(nproc)"
cd build/test
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
