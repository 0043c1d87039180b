#!/usr/bin/env bash
# Builds the fuzz targets with clang (address and undefined-behaviour sanitizers) and runs each
# for a bounded time, starting from the corpus kept in fuzz/corpus. Any finding fails the run and
# leaves the input that caused it in the artifacts folder.
#
#   MOSAIC_FUZZ_SECONDS   seconds per target (default 30)
#   MOSAIC_FUZZ_BUILD_DIR build folder (default build-fuzz beside the sources)
#   CMAKE_CXX_COMPILER_LAUNCHER  a compiler launcher such as ccache, when wanted (none by default)
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
build_dir="${MOSAIC_FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${MOSAIC_FUZZ_SECONDS:-30}"
jobs="${MOSAIC_JOBS:-$(nproc 2>/dev/null || echo 2)}"
targets=(fuzz_crawl_text fuzz_movie_file fuzz_arguments fuzz_picture_input fuzz_sound_input)

cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DMOSAIC_FUZZ=ON -DMOSAIC_BUILD_TESTS=OFF -DMOSAIC_BUILD_BENCH=OFF \
  >/dev/null
cmake --build "$build_dir" -j "$jobs" --target "${targets[@]}"

artifacts="$build_dir/fuzz-artifacts"
mkdir -p "$artifacts"
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen
passed=0
failed=0
for target in "${targets[@]}"; do
  # New inputs go to a scratch folder; the corpus in the repository only seeds the run.
  scratch="$(mktemp -d)"
  echo "fuzz: $target for ${seconds} s"
  if "$build_dir/fuzz/$target" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=3072 \
      -close_fd_mask=3 -print_final_stats=0 -artifact_prefix="$artifacts/$target-" \
      "$scratch" "$here/corpus/${target#fuzz_}" >"$scratch.log" 2>&1; then
    passed=$((passed + 1))
    tail -n 1 "$scratch.log"
  else
    failed=$((failed + 1))
    echo "fuzz: $target found a fault; the input is in $artifacts:"
    tail -n 60 "$scratch.log"
  fi
  rm -rf "$scratch" "$scratch.log"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
