#!/usr/bin/env bash
# Follows the README as a new user would, in a fresh copy of the tracked files
# (as the next commit would hold them): its first command, which builds the
# programs and lists a sample, then each example command line of its vx5pcap
# section up to the step that opens a Wireshark window (a line piped into
# Wireshark is left out; those ending in a file or in tshark are run whole).
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git archive "$(git stash create || true)" 2>/dev/null | tar -x -C "$work" || git archive HEAD | tar -x -C "$work"

# The lines of the README's sh blocks, of the whole file or of one section.
sh_lines() { awk '/^```sh$/ { block = 1; next } /^```$/ { block = 0 } block'; }
first=$(sh_lines <README.md | head -n 1)
examples=$(awk '/^## / { on = ($0 == "## Open a capture in Wireshark") } on' README.md | sh_lines)

run() {
  echo "readme-check: $1"
  (cd "$work" && bash -o pipefail -c "$1") >"$work/.out" 2>&1 || { cat "$work/.out" >&2; exit 1; }
}
run "$first"
tail -n 1 "$work/.out" | grep -qx 'Complete\.' || { echo "readme-check: no \"Complete.\"" >&2; exit 1; }

ran=0
while IFS= read -r line; do
  rest=${line%%#*}  # without its comment and the blanks before it
  rest=${rest%"${rest##*[! ]}"}
  kept=""
  while [ -n "$rest" ]; do
    step=${rest%% && *}
    if [[ $rest == *" && "* ]]; then rest=${rest#* && }; else rest=""; fi
    [[ $step =~ (^|\|)\ *wireshark\  ]] && break
    kept+="${kept:+ && }$step"
  done
  [ -n "$kept" ] || continue
  run "$kept"
  ran=$((ran + 1))
done <<<"$examples"
[ "$ran" -gt 0 ] || { echo "readme-check: no vx5pcap example found" >&2; exit 1; }
echo "readme-check: the first command and $ran vx5pcap examples ran"
