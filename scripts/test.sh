#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite: every test in a
# release build, then the unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARN_WERROR=ON
cmake --build build -j"$jobs"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUARN_SANITIZE=ON -DQUARN_BENCH=OFF -DQUARN_WERROR=ON
cmake --build build-asan -j"$jobs" --target unit_tests

echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ctest --test-dir build-asan -L unit --output-on-failure -j"$jobs"
echo "== all tests"
# Whole-search and process tests spend most of their time waiting (end pauses, stop letters,
# clients that answer slowly on purpose): three at a time per processor keep the machine busy.
ctest --test-dir build --output-on-failure -j"$((jobs * 3))"
