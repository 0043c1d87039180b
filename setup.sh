#!/usr/bin/env bash
# Sets up Mosaic TV on Debian 12 or later and runs it.
#
#   ./setup.sh demo    install what is needed, build, run "mosaic demo"
#   ./setup.sh test    install what is needed, build, check the formatting, run the whole test suite
#   ./setup.sh checks [NAME...]
#                      the longer checks that CI runs after the tests (all, or the named ones):
#                      strict (a -Werror build with the benchmarks), package, sanitizers,
#                      tsan (the thread sanitizer), fuzz, arm64 (the arm64 build's core and tool
#                      tests under qemu-user and its package's encode and decode against this
#                      build's); and, only when named, arm64-all (arm64 with every test suite)
#   ./setup.sh build   install what is needed and build only
#   ./setup.sh package install what is needed, build, and make the Debian package in the build folder
#   ./setup.sh package-arm64          cross-build for 64-bit ARM (Raspberry Pi) and write the
#                                     arm64 Debian package into the build folder
#   ./setup.sh run-arm64 PROGRAM ...  run one of the arm64 programs here under qemu-user
#
# Installing uses apt-get (as root, or through sudo) and is skipped when everything is there.
# "demo", "test", "build" and "package" share the build folder and its configuration, so the
# test after a demo builds only what changed; each check builds in a folder of its own beside it.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build_dir="${MOSAIC_BUILD_DIR:-$here/build}"
jobs="${MOSAIC_JOBS:-$(nproc 2>/dev/null || echo 2)}"

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libqt6opengl6-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libavdevice-dev
  libsndfile1-dev libpulse-dev
  fonts-liberation fontconfig
  pulseaudio pulseaudio-utils xvfb xauth
  libhamlib-dev libhamlib-utils
  libmicrohttpd-dev chromium
  clang-format clang libclang-rt-14-dev
  desktop-file-utils appstream help2man dpkg-dev file
)

missing_packages() {
  local p
  for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      echo "$p"
    fi
  done
}

install_packages() {
  local missing
  missing="$(missing_packages)"
  if [ -z "$missing" ]; then
    echo "setup: all packages are installed"
    return
  fi
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
      sudo=(sudo)
    else
      echo "setup: these packages are missing and there is no sudo to install them:" >&2
      echo "$missing" >&2
      exit 1
    fi
  fi
  echo "setup: installing:" $missing
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
  # shellcheck disable=SC2086
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

# A build folder made or kept with these options; later options win over earlier ones.
configure() {
  local dir="$1"; shift
  cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@"
}

configure_and_build() {
  configure "$@"
  cmake --build "$1" -j "$jobs"
}

check_format() {
  echo "setup: checking the formatting of the sources"
  (cd "$here" && git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror)
}

# The Debian package, made by CPack; dpkg-shlibdeps works out its dependencies.
make_package() {
  local dir="$1"
  echo "setup: making the Debian package"
  (cd "$dir" && cpack -G DEB)
}

# Unpacks the package into a throw-away root and runs the installed tool from there, so that
# nothing of the build tree is used: the demo, and the receiving station as a user runs it.
check_package_contents() {
  local dir="$1" deb root
  deb="$(ls -t "$dir"/mosaic-tv_*.deb | head -n 1)"
  root="$(mktemp -d)"
  echo "setup: checking $deb in $root"
  dpkg-deb --field "$deb" Package Version Depends
  dpkg -x "$deb" "$root"
  if ldd "$root"/usr/bin/* | grep -F "$dir"; then
    echo "setup: the packaged programs use libraries of the build tree" >&2
    exit 1
  fi
  (cd "$root" && ./usr/bin/mosaic --version && ./usr/bin/mosaic demo -o "$root/demo-output")
  "$here/packaging/check_installed_monitor.sh" "$root"
  rm -rf "$root"
}

run_tests() {
  check_format
  configure_and_build "$build_dir"
  echo "setup: running the test suite"
  "$here/tests/run-with-sound-server.sh" ctest --test-dir "$build_dir" --output-on-failure -j "$jobs"
}

# --- the checks of "./setup.sh checks": one function check_NAME each, run in this order ---

checks=(strict package sanitizers tsan fuzz arm64)
# Run only when named: under qemu the programs' and the station's tests take over half an hour
# more on two cores (see packaging/arm64/arm64.sh).
named_checks=(arm64-all)

# Everything, the benchmarks too, with warnings as errors.
check_strict() {
  configure_and_build "$build_dir-strict" -DMOSAIC_WERROR=ON -DMOSAIC_BUILD_BENCH=ON
}

# The Debian package of the strict build, installed into a throw-away root and run from there.
check_package() {
  configure_and_build "$build_dir-strict" -DMOSAIC_WERROR=ON -DMOSAIC_BUILD_BENCH=ON
  make_package "$build_dir-strict"
  check_package_contents "$build_dir-strict"
}

# The core tests with the address and undefined-behaviour sanitizers.
check_sanitizers() {
  echo "setup: running the core tests with address and undefined-behaviour sanitizers"
  configure_and_build "$build_dir-sanitize" -DMOSAIC_WERROR=ON -DMOSAIC_SANITIZE=ON \
    -DMOSAIC_BUILD_APPS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
  ctest --test-dir "$build_dir-sanitize" --output-on-failure -j "$jobs"
}

# The tests whose threads meet through this project's own locks, with the thread sanitizer
# (tests/CMakeLists.txt says why the others are left out).
check_tsan() {
  echo "setup: running the threaded tests with the thread sanitizer"
  configure "$build_dir-tsan" -DMOSAIC_WERROR=ON -DMOSAIC_TSAN=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$build_dir-tsan" -j "$jobs" --target thread_sanitizer_tests
  ctest --test-dir "$build_dir-tsan" --output-on-failure -j "$jobs" -L threads
}

# The parsers' libFuzzer targets for a bounded time (clang, address and undefined-behaviour
# sanitizers).
check_fuzz() {
  echo "setup: fuzzing the parsers for a bounded time"
  MOSAIC_FUZZ_BUILD_DIR="$build_dir-fuzz" MOSAIC_JOBS="$jobs" "$here/fuzz/run-fuzzers.sh"
}

# The arm64 build, cross-built and tested under qemu-user, and its package against this build.
# On an arm64 machine "./setup.sh test" has already run every test there.
check_arm64() {
  if [ "$(dpkg --print-architecture)" = arm64 ]; then
    echo "setup: this machine is arm64: its own tests stand for the arm64 check"
    return
  fi
  configure_and_build "$build_dir"
  "$here/packaging/arm64/arm64.sh" check "$build_dir"
}

# The same with every test suite.
check_arm64-all() {
  if [ "$(dpkg --print-architecture)" = arm64 ]; then
    check_arm64
    return
  fi
  configure_and_build "$build_dir"
  "$here/packaging/arm64/arm64.sh" check-all "$build_dir"
}

run_checks() {
  local name
  for name in "$@"; do
    if ! declare -F "check_$name" >/dev/null; then
      echo "setup: no check named $name; the checks are: ${checks[*]} ${named_checks[*]}" >&2
      exit 2
    fi
  done
  for name in "$@"; do
    echo "setup: check $name"
    "check_$name"
  done
}

case "${1:-}" in
  demo)
    install_packages
    configure_and_build "$build_dir"
    "$build_dir/tools/mosaic" demo -o "${MOSAIC_DEMO_DIR:-$here/demo-output}"
    ;;
  test)
    install_packages
    run_tests
    ;;
  checks)
    install_packages
    shift
    if [ "$#" -eq 0 ]; then set -- "${checks[@]}"; fi
    run_checks "$@"
    ;;
  build)
    install_packages
    configure_and_build "$build_dir"
    ;;
  package)
    install_packages
    configure_and_build "$build_dir"
    make_package "$build_dir"
    ;;
  package-arm64)
    if [ "$(dpkg --print-architecture)" = arm64 ]; then  # on the Pi itself: the native package
      install_packages
      configure_and_build "$build_dir"
      make_package "$build_dir"
    else
      "$here/packaging/arm64/arm64.sh" package "$build_dir"
    fi
    ;;
  run-arm64)
    shift
    "$here/packaging/arm64/arm64.sh" run "$build_dir" "$@"
    ;;
  *)
    echo "usage: $0 demo|test|checks [NAME...]|build|package|package-arm64|run-arm64 PROGRAM [ARGS...]" >&2
    exit 2
    ;;
esac
