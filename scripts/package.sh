#!/usr/bin/env bash
# Checks the manual pages and builds the Debian package from nothing in
# build-package/: every page must pass groff's lint without a warning, the
# package is listed, checked by lintian (any error fails), unpacked into a
# scratch root, and its pages and programs are run from there.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh --package

status=0
for page in man/*.[1-9]; do
  # -t: tables; -ww: every warning; -z: no output, only the diagnostics.
  warnings=$(groff -t -man -ww -z "$page" 2>&1)
  if [ -n "$warnings" ]; then
    echo "$page: $warnings" >&2
    status=1
  fi
done
[ "$status" -eq 0 ] || { echo "manual pages have warnings" >&2; exit 1; }

build=build-package
rm -rf "$build"
# Debian's build flags with every hardening feature (fortified functions,
# stack protector, read-only relocations bound at start).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/vx5200-tools_*_*.deb)
dpkg-deb -c "$deb"

# Errors fail; warnings and notes are shown for the record.
lintian --fail-on error "$deb"

root="$build/root"
dpkg-deb -x "$deb" "$root"
for page in "$root"/usr/share/man/man*/*.gz; do
  MANWIDTH=80 man -l "$page" >/dev/null
done
for program in "$root"/usr/bin/*; do
  # Each program prints its banner and rejects an unknown option with status 1.
  if "$program" -x </dev/null >/dev/null 2>&1; then
    echo "$program accepted -x" >&2
    exit 1
  fi
done
# The installed converter gives the installed sample listing byte for byte.
examples="$root/usr/share/doc/vx5200-tools/examples"
"$root/usr/bin/vx5cvt" -f20 "$examples/HDLC.DT" "$build/HDLC.TXT" >/dev/null
cmp "$build/HDLC.TXT" "$examples/HDLC.TXT"
# The Wireshark plugin lies in the global Lua plugins folder and decodes the
# installed vx5pcap's modulo 128 export of the sample.
plugin="$root/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/wireshark/plugins/vx5200_mod128.lua"
[ -f "$plugin" ] || { echo "the package lacks ${plugin#"$root"}" >&2; exit 1; }
first=$("$root/usr/bin/vx5pcap" -f3 "$examples/HDLC.DT" - 2>/dev/null |
  tshark -X lua_script:"$plugin" -r - -T fields -e lapb128.type 2>/dev/null | head -1)
[ "$first" = SABM ] || { echo "the packaged plugin read the first frame as '$first', not SABM" >&2; exit 1; }
echo "package ok: $deb"
