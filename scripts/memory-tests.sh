#!/usr/bin/env bash
# The tests of stacks that would take gigabytes run under a 2 GiB address-space limit,
# which a sanitized player cannot live in. `make test` skips them unless an unsanitized
# player is at build/release/apps/corvida; this builds that player (the program only,
# not the release tests) and runs them against it.
# Usage: scripts/memory-tests.sh [SANITIZED_BUILD_DIR (default build/asan)]
set -euo pipefail
cd "$(dirname "$0")/.."
tests_dir=${1:-build/asan}
jobs=${JOBS:-$(nproc)}

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVIDA_BENCH=OFF \
  -DCORVIDA_TESTS=OFF >/dev/null
cmake --build build/release --target corvida -j "$jobs"
cmake --build "$tests_dir" --target test_cli corvida -j "$jobs"
"$tests_dir"/tests/test_cli --gtest_filter='MemoryLimits.*:CardSizeLimit.*'
