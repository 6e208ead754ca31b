#!/usr/bin/env bash
# Counts the instructions the game runtime's big-endian MIPS build runs for each pixel tkf_draw
# sets, under qemu-mips with QEMU's instruction-count plugin:
#   bench/runtime_mips.sh FONT [PLUGIN]
# It builds bench/runtime_bench.c with mips-linux-gnu-gcc -O2, runs it for 0 and for 20 screens
# in each format, a line a call and a word a call, and divides the difference in instructions by
# the difference in pixels set, so that starting the program and opening the font do not count. PLUGIN is QEMU's libinsn.so, by
# default build/qemu-plugin/libinsn.so, made by tools/qemu_insn_plugin.sh when missing. Without
# the compiler, QEMU or the plugin it says so and ends with 0: the count is then not available.
set -euo pipefail

if [ "$#" -lt 1 ] || [ "$#" -gt 2 ]; then
  echo "usage: $0 FONT [PLUGIN]" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
font=$1
plugin=${2:-$root/build/qemu-plugin/libinsn.so}

for tool in mips-linux-gnu-gcc qemu-mips; do
  if ! command -v "$tool" >/dev/null; then
    echo "runtime_mips.sh: no $tool, so no instruction count (gcc-mips-linux-gnu, qemu-user)"
    exit 0
  fi
done
if [ ! -f "$plugin" ] && ! "$root/tools/qemu_insn_plugin.sh" "$(dirname "$plugin")"; then
  echo "runtime_mips.sh: QEMU's instruction-count plugin is not available, so no count"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mips-linux-gnu-gcc -std=c99 -O2 -static -I"$root/runtime" -o "$work/runtime_bench" \
  "$root/bench/runtime_bench.c"

# Prints the pixels set and the instructions run for SCREENS screens in FORMAT [words].
count() {
  local pixels
  pixels=$(qemu-mips -plugin "$plugin" -d plugin -D "$work/log" "$work/runtime_bench" "$font" \
    "$@")
  echo "$pixels $(sed -n 's/^total insns: //p' "$work/log")"
}

for words in "" words; do
  for format in 0 1; do
    read -r p0 i0 <<<"$(count 0 "$format" $words)"
    read -r p1 i1 <<<"$(count 20 "$format" $words)"
    awk -v name="$([ "$format" = 0 ] && echo RGBA8888 || echo RGBA5551)" \
      -v how="$([ -n "$words" ] && echo "a word a call" || echo "a line a call")" \
      -v p="$((p1 - p0))" -v i="$((i1 - i0))" \
      'BEGIN { printf "MIPS %s, %s: %.1f instructions a pixel set (%d instructions, %d pixels)\n",
               name, how, i / p, i, p }'
  done
done
