#!/bin/sh
# Runs an arm64 program on another machine under qemu-user, with the libraries of the arm64
# sysroot that packaging/arm64/sysroot.sh makes, and the exec shim beside it (see
# qemu_exec_shim.c), so that the program can start other arm64 programs in turn.
#
#   qemu-run.sh SYSROOT PROGRAM [ARGS...]
set -e
sysroot="$1"
shift
export QEMU_LD_PREFIX="$sysroot"
export MOSAIC_QEMU="${MOSAIC_QEMU:-$(command -v qemu-aarch64)}"
# Qt finds its plugins by file system calls that qemu does not look up in the sysroot first.
guest_env="QT_PLUGIN_PATH=$sysroot/usr/lib/aarch64-linux-gnu/qt6/plugins"
shim="$(dirname "$sysroot")/qemu-exec-shim.so"
if [ -f "$shim" ]; then
  guest_env="$guest_env,LD_PRELOAD=$shim"
fi
export QEMU_SET_ENV="$guest_env"
exec "$MOSAIC_QEMU" "$@"
