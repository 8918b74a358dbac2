#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite: the code's format,
# the unit tests under AddressSanitizer and UndefinedBehaviorSanitizer, then every test in a
# release build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARN_WERROR=ON
cmake --build build -j"$jobs"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUARN_SANITIZE=ON -DQUARN_BENCH=OFF -DQUARN_WERROR=ON
cmake --build build-asan -j"$jobs" --target unit_tests

echo "== the code's format (.clang-format)"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ctest --test-dir build-asan -L unit --output-on-failure -j"$jobs"
echo "== all tests"
# Whole-search and process tests spend most of their time waiting (end pauses, stop letters,
# clients that answer slowly on purpose): three at a time per processor keep the machine busy.
ctest --test-dir build --output-on-failure -j"$((jobs * 3))"
