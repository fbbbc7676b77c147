#!/usr/bin/env bash
# Builds the programs for 64-bit Windows into build-windows/ with Debian's
# MinGW-w64 cross compiler (and, in build-windows/host/, the Linux test
# program that runs them under Wine), checks that they import system DLLs
# only, runs the Windows tests under Wine (with a Wine prefix of the build
# tree's own) and makes the zip:
#   scripts/build-windows.sh            build, test, zip
#   scripts/build-windows.sh --no-test  build and zip only
# Installs the compiler, Wine, tshark, zip and groff from Debian's packages when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
run_tests=1
[ "${1:-}" = "--no-test" ] && run_tests=0

./scripts/install-deps.sh --windows

start=$(date +%s.%N)
seconds() { date +%s.%N; }
took() { awk -v a="$1" -v b="$(seconds)" 'BEGIN { printf "%.1f s", b - a }'; }

t=$(seconds)
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-windows -j2
echo "build-windows: built in $(took "$t")"
cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DDIR=build-windows -P cmake/windows/check_imports.cmake

if [ "$run_tests" = 1 ]; then
  # The prefix first (once, some seconds), so that no test's first start pays for it.
  t=$(seconds)
  scripts/wine-run.sh --prefix build-windows/wine-prefix --init
  echo "build-windows: Wine prefix ready in $(took "$t")"
  t=$(seconds)
  status=0
  (cd build-windows && ctest -j2 --output-on-failure --timeout 120) || status=$?
  echo "build-windows: tests under Wine in $(took "$t")"
  scripts/wine-run.sh --prefix build-windows/wine-prefix --stop
  [ "$status" = 0 ] || exit "$status"
fi

(cd build-windows && cpack -G ZIP >/dev/null)
ls build-windows/vx5200-tools-*-win64.zip
echo "build-windows: done in $(took "$start")"
