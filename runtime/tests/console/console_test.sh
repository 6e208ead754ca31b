#!/usr/bin/env bash
# Runs the console test's calls on the emulated console and here, and fails unless every output
# is the same, byte for byte:
#   console_test.sh MAKE_ROM BOOT.bin PROGRAM.bin RUN_ROM CONSOLE_HOST FONTS OUT [required]
# FONTS holds example.fnt and vertical.fnt. Without the mupen64plus core it ends with 77, which
# CTest takes for "skipped", unless the last word is "required".
set -euo pipefail
make_rom=$1 boot=$2 program=$3 run_rom=$4 host=$5 fonts=$6 out=$7 need=${8:-optional}

rm -rf "$out"
mkdir -p "$out/console" "$out/host"
"$make_rom" "$boot" "$program" "$out/test.z64" "$fonts/example.fnt" "$fonts/vertical.fnt"
"$host" "$fonts/example.fnt" "$fonts/vertical.fnt" "$out/host"
status=0
"$run_rom" "$out/test.z64" "$out/console" 60 >"$out/console.log" 2>&1 || status=$?
cat "$out/console.log"
if [ "$status" = 77 ]; then
  [ "$need" = required ] && { echo "console_test: the core is required here"; exit 1; }
  exit 77
fi
[ "$status" = 0 ] || { echo "console_test: the ROM did not finish (status $status)"; exit 1; }

outputs=0 bytes=0 differ=0
for file in "$out/host"/*; do
  name=${file##*/}
  outputs=$((outputs + 1))
  bytes=$((bytes + $(stat -c %s "$file")))
  if ! cmp "$file" "$out/console/$name"; then
    differ=$((differ + 1))
  fi
done
if [ "$outputs" -lt 13 ] || [ "$differ" -gt 0 ]; then
  echo "console_test: $differ of $outputs outputs differ between the console and this machine"
  exit 1
fi
echo "console_test: $outputs outputs, $bytes bytes, the same on the emulated console as here"
