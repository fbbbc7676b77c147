#!/usr/bin/env bash
# Times vxprtin receiving 100,000 lines of 80 bytes from a pseudo-terminal
# peer that sends as fast as the receiver takes them.
#   bench/serial.sh [VXPRTIN]     (default: a release build in build-bench/)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVX_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build-bench -j2 --target vxprtin pty_sender >/dev/null
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
build-bench/pty_sender "${1:-build-bench/vxprtin}" "$out/print.txt" 100000
