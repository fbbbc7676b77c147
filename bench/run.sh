#!/usr/bin/env bash
# Times every listing of vx5cvt as a whole process on the large captures, with
# xxd on the same capture file beside each as the reference; then the pcapng
# export of vx5pcap, with tshark reading the exported frames' listing fields
# beside our own listing of the same capture; then tshark with the modulo 128
# plugin beside tshark with its own LAPB dissector on the same frames.
#   bench/run.sh            (captures are made once in bench/data/)
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
command -v xxd >/dev/null || { apt-get update -qq && apt-get install -y -qq xxd; }
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVX_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target vx5cvt vx5pcap make_bench_captures >/dev/null
data=bench/data
mkdir -p "$data"
[ -f "$data/lsonce.dt" ] && [ -f "$data/lapb128.dt" ] || build-bench/make_bench_captures "$data"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# seconds and peak resident MiB of one command (best of three runs)
measure() {
  local best="" mem=""
  for _ in 1 2 3; do
    /usr/bin/time -f "%e %M" -o "$out/time" "$@" >/dev/null 2>&1 </dev/null || true
    read -r s k <"$out/time"
    if [ -z "$best" ] || awk "BEGIN{exit !($s < $best)}"; then best=$s; mem=$((k / 1024)); fi
  done
  echo "$best $mem"
}
measure_dialogue() {  # the PPP frame dump is reached through the dialogue
  local best="" mem=""
  for _ in 1 2 3; do
    printf '%s\n%s\n2\n1\n2\n' "$1" "$out/listing" | /usr/bin/time -f "%e %M" -o "$out/time" build-bench/vx5cvt >/dev/null 2>&1 || true
    read -r s k <"$out/time"
    if [ -z "$best" ] || awk "BEGIN{exit !($s < $best)}"; then best=$s; mem=$((k / 1024)); fi
  done
  echo "$best $mem"
}

printf '%-34s %9s %9s %10s %9s\n' "listing" "seconds" "peak MiB" "file MiB" "xxd s"
row() {
  local name=$1 file=$2; shift 2
  local r x
  r=$("$@")
  x=$(measure sh -c "xxd '$file' > '$out/xxd'")
  printf '%-34s %9s %9s %10s %9s\n' "$name" "${r% *}" "${r#* }" "$(( $(stat -c %s "$file") / 1048576 ))" "${x% *}"
}
v=build-bench/vx5cvt
row "normal dump, 80 columns"       $data/async.dt measure $v $data/async.dt "$out/listing"
row "normal dump, 136 columns"      $data/async.dt measure $v -C136 $data/async.dt "$out/listing"
row "line-state chart, 80 columns"  $data/async.dt measure $v -l $data/async.dt "$out/listing"
row "translate-format dump"         $data/async.dt measure $v -f $data/async.dt "$out/listing"
row "SDLC frames mod 8"             $data/hdlc.dt  measure $v -f0 $data/hdlc.dt "$out/listing"
row "X.25 LAPB frames mod 8"        $data/hdlc.dt  measure $v -f2 $data/hdlc.dt "$out/listing"
row "LAPD frames"                   $data/hdlc.dt  measure $v -f4 $data/hdlc.dt "$out/listing"
row "X.25 packets"                  $data/hdlc.dt  measure $v -f20 $data/hdlc.dt "$out/listing"
row "LAPD messages"                 $data/hdlc.dt  measure $v -f41 $data/hdlc.dt "$out/listing"
row "PPP translation"               $data/ppp.dt   measure $v $data/ppp.dt "$out/listing" -f
row "PPP frame dump"                $data/ppp.dt   measure_dialogue $data/ppp.dt
# Cases that turn quadratic when a walk starts over at every step:
row "SD frames among 20,000 RD frames" $data/rdrun.dt measure $v -d1 -f2 $data/rdrun.dt "$out/listing"
row "line-state chart after 1 change"  $data/lsonce.dt measure $v -l $data/lsonce.dt "$out/listing"

# The export, tshark on what it wrote (the fields the translated listing
# shows), and vx5cvt's listing of the same frames.
lapb_fields="-e frame.time -e lapb.address -e lapb.control.ftype -e lapb.control.s_ftype -e lapb.control.u_modifier_cmd -e lapb.control.n_s -e lapb.control.p -e lapb.control.n_r -e frame.packet_flags"
ppp_fields="-e frame.time -e ppp.protocol -e ppp.code -e ppp.identifier"
printf '\n%-34s %9s %9s %11s %11s\n' "export" "seconds" "peak MiB" "tshark s" "listing s"
export_row() {
  local name=$1 file=$2 kind=$3 listing=$4 fields=$5
  local e t l
  e=$(measure build-bench/vx5pcap $kind "$file" "$out/export.pcapng")
  build-bench/vx5pcap $kind "$file" "$out/export.pcapng" 2>/dev/null
  t=$(measure sh -c "tshark -r '$out/export.pcapng' -T fields $fields > '$out/tshark'")
  l=$(measure $v $listing "$file" "$out/listing")
  printf '%-34s %9s %9s %11s %11s\n' "$name" "${e% *}" "${e#* }" "${t% *}" "${l% *}"
}
export_row "LAPB frames to pcapng"  $data/hdlc.dt -f2 -f2 "$lapb_fields"
export_row "PPP frames to pcapng"   $data/ppp.dt  ""  -f  "$ppp_fields"

# The Wireshark plugin: tshark's CPU seconds (user + system, best of three)
# with the listing fields of the modulo 128 export (-f3) read by the plugin,
# beside the same frames exported as modulo 8 (-f2) read by Wireshark's LAPB.
cpu() {
  local best=""
  for _ in 1 2 3; do
    /usr/bin/time -f "%U %S" -o "$out/time" "$@" >/dev/null 2>&1 </dev/null || true
    read -r u s <"$out/time"
    local c; c=$(awk "BEGIN{print $u + $s}")
    if [ -z "$best" ] || awk "BEGIN{exit !($c < $best)}"; then best=$c; fi
  done
  echo "$best"
}
plugin_fields="-e frame.time -e lapb128.address -e lapb128.type -e lapb128.ns -e lapb128.pf -e lapb128.nr -e frame.packet_flags"
build-bench/vx5pcap -f2 $data/lapb128.dt "$out/mod8.pcapng" 2>/dev/null
build-bench/vx5pcap -f3 $data/lapb128.dt "$out/mod128.pcapng" 2>/dev/null
mod8=$(cpu tshark -r "$out/mod8.pcapng" -T fields $lapb_fields)
mod128=$(cpu tshark -X lua_script:wireshark/vx5200_mod128.lua -r "$out/mod128.pcapng" -T fields $plugin_fields)
printf '\n%-34s %9s %11s %11s %7s\n' "Wireshark plugin, lapb128.dt" "frames" "LAPB CPU s" "plugin CPU s" "ratio"
printf '%-34s %9s %11s %11s %7s\n' "tshark -T fields, listing fields" 500000 "$mod8" "$mod128" \
  "$(awk "BEGIN{printf \"%.2f\", $mod128 / $mod8}")"
