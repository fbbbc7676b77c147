#!/usr/bin/env bash
# Formats the C++ sources with clang-format (style in .clang-format).
#   scripts/format.sh           rewrites every source file in place
#   scripts/format.sh --check   changes nothing; fails and names each file that is not formatted
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh --format
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run --Werror "${files[@]}"
  echo "clang-format: ${#files[@]} files formatted"
else
  clang-format -i "${files[@]}"
fi
