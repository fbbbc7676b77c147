#!/usr/bin/env bash
# Fuzzes the converter: arbitrary bytes as a capture data file through every
# listing, under AddressSanitizer and UndefinedBehaviorSanitizer.
#   scripts/fuzz.sh [SECONDS]      (default 600)
# Findings are written to fuzz/findings/. The seed corpus: examples/*.DT, the
# seed captures of every mode up to the largest input (fuzz/seed_captures.h)
# and the earlier findings kept in fuzz/regressions/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
./scripts/install-deps.sh --fuzz
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fsanitize=fuzzer-no-link -g -O1"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DVX_FUZZ=ON -DBUILD_TESTING=OFF \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target capture_fuzzer make_fuzz_seeds
corpus=build-fuzz/corpus
mkdir -p "$corpus" fuzz/findings
cp -n examples/*.DT "$corpus"/ 2>/dev/null || true
build-fuzz/make_fuzz_seeds "$corpus"
cp -n fuzz/regressions/* "$corpus"/ 2>/dev/null || true
build-fuzz/capture_fuzzer -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=2048 \
  -close_fd_mask=1 -print_final_stats=1 -artifact_prefix=fuzz/findings/ "$corpus"
