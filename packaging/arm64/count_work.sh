#!/usr/bin/env bash
# How many instructions an arm64 processor executes for one frame or buffer of each part of the
# work, counted under qemu-user (count_instructions.c): bench/repeated_work runs each part 2 and
# 5 times, and the difference of the counts over 3 leaves out the program's start-up.
#
#   count_work.sh ARM64_DIR [PART...]   ARM64_DIR as arm64.sh makes it (sysroot/, build/): run
#                                       ./setup.sh package-arm64 first
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
arm64_root="${1:?usage: $0 ARM64_DIR [PART...]}"
shift
parts=("$@")
[ ${#parts[@]} -gt 0 ] ||
  parts=(synthesis phase-chain carrier-sum receiver receiver-window resample-48000)
[ -f "$arm64_root/build/CMakeCache.txt" ] ||
  { echo "count_work: no cross-build in $arm64_root: run ./setup.sh package-arm64 first" >&2; exit 1; }
cmake "$arm64_root/build" -DMOSAIC_BUILD_BENCH=ON >/dev/null
cmake --build "$arm64_root/build" --target repeated_work >/dev/null
program="$arm64_root/build/bench/repeated_work"
plugin="$arm64_root/count-instructions.so"
cc -shared -fPIC -O2 -o "$plugin" "$here/count_instructions.c"

count() {
  QEMU_LD_PREFIX="$arm64_root/sysroot" qemu-aarch64 -plugin "$plugin" "$program" "$@" 2>&1 >/dev/null |
    sed -n 's/^instructions: //p'
}

for part in "${parts[@]}"; do
  fewer="$(count "$part" 2)"
  more="$(count "$part" 5)"
  echo "$part: $(((more - fewer) / 3)) instructions per frame or buffer"
done
