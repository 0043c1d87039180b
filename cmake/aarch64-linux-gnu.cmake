# Cross-building for 64-bit ARM Linux (Raspberry Pi OS and Debian on arm64) on another machine:
# Debian's cross compiler, and a folder of Debian's arm64 packages as the target's root
# (packaging/arm64/sysroot.sh). Programs built here that the build or the tests run go through
# qemu-user (packaging/arm64/qemu-run.sh); Qt's code generators are this machine's own.
#
#   cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake \
#         -DMOSAIC_ARM64_SYSROOT=/path/to/sysroot
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(MOSAIC_ARM64_SYSROOT "" CACHE PATH "Debian's arm64 packages unpacked (packaging/arm64/sysroot.sh)")
if(NOT IS_DIRECTORY "${MOSAIC_ARM64_SYSROOT}/usr/include")
  message(FATAL_ERROR "MOSAIC_ARM64_SYSROOT must name an arm64 sysroot, not '${MOSAIC_ARM64_SYSROOT}'")
endif()
# The compiler checks run in projects of their own, which need the sysroot too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MOSAIC_ARM64_SYSROOT)

set(CMAKE_SYSROOT "${MOSAIC_ARM64_SYSROOT}")
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(ENV{PKG_CONFIG_SYSROOT_DIR} "${CMAKE_SYSROOT}")
set(ENV{PKG_CONFIG_LIBDIR}
    "${CMAKE_SYSROOT}/usr/lib/aarch64-linux-gnu/pkgconfig:${CMAKE_SYSROOT}/usr/share/pkgconfig")

# Qt's moc and rcc from this machine's Qt of the same version.
execute_process(COMMAND dpkg-architecture -qDEB_BUILD_MULTIARCH
  OUTPUT_VARIABLE build_multiarch OUTPUT_STRIP_TRAILING_WHITESPACE)
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR "/usr/lib/${build_multiarch}/cmake")

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../packaging/arm64/qemu-run.sh;${CMAKE_SYSROOT}")
