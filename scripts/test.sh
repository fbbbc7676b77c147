#!/usr/bin/env bash
# Builds everything from nothing and runs every test, then follows the README
# on a fresh copy of the sources (scripts/readme-check.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
./scripts/readme-check.sh
