#!/usr/bin/env bash
# Installs the build and test tools from Debian's packages when they are missing.
#   --fuzz      also clang with its libFuzzer runtime
#   --package   also groff, man, dpkg-dev and lintian (manual pages, .deb checks)
#   --format    also clang-format
#   --windows   also the MinGW-w64 cross compiler, Wine (with Debian's recommended
#               packages, as the Windows tests were made with), GoogleTest's
#               sources, zip and groff
set -euo pipefail
need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v make >/dev/null || need+=(make)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
command -v tshark >/dev/null || need+=(tshark)  # reads the exported pcapng files in the tests
if [ "${1:-}" = "--package" ]; then
  command -v groff >/dev/null || need+=(groff)
  command -v man >/dev/null || need+=(man-db)
  command -v dpkg-shlibdeps >/dev/null || need+=(dpkg-dev)
  command -v lintian >/dev/null || need+=(lintian)
fi
if [ "${1:-}" = "--format" ]; then
  command -v clang-format >/dev/null || need+=(clang-format)
fi
if [ "${1:-}" = "--windows" ]; then
  command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
  command -v wine >/dev/null || need+=(wine)
  [ -x /usr/lib/wine/wine64 ] || need+=(wine64)
  command -v zip >/dev/null || need+=(zip)
  command -v groff >/dev/null || need+=(groff)
  [ -f /usr/src/googletest/googletest/CMakeLists.txt ] || need+=(googletest)
fi
if [ "${1:-}" = "--fuzz" ]; then
  command -v clang++ >/dev/null || need+=(clang)
  ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 || need+=(libclang-rt-dev)
fi
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  # tshark's package asks whether to install dumpcap setuid: it need not.
  echo "wireshark-common wireshark-common/install-setuid boolean false" | $SUDO debconf-set-selections
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}"
fi
