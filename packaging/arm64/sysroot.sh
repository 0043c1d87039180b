#!/usr/bin/env bash
# Makes a folder holding Debian's arm64 packages that the cross-build and the programs under
# qemu need: headers, libraries and their dependencies, unpacked side by side. apt-get works
# with its own lists and an empty package database here, so this machine's own packages are
# neither changed nor upgraded (adding arm64 to dpkg instead would have to upgrade many of them
# to the versions the arm64 packages are built against).
#
#   sysroot.sh DIR      makes DIR/sysroot (DIR/apt keeps the lists and downloaded packages)
set -euo pipefail

root="$(realpath -m "$1")"  # apt takes its folders as absolute paths
sysroot="$root/sysroot"
state="$root/apt"
stamp="$sysroot/.complete"

# What the build links against and what the programs load at run time (the platform plugins, and
# the fonts that the package depends on, which qemu finds here rather than on this machine).
packages=(
  libc6-dev libstdc++-12-dev
  qt6-base-dev libqt6opengl6-dev qt6-qpa-plugins
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libavdevice-dev
  libsndfile1-dev libpulse-dev libhamlib-dev libmicrohttpd-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation
)
# Pulled in by the packages above but never linked nor loaded by the programs: the graphics
# drivers and their compiler, and the interpreters of package scripts.
skipped='^(libllvm[0-9]*|libz3-[0-9]*|libgl1-mesa-dri|mesa-vulkan-drivers|perl|perl-base|perl-modules-[0-9.]*|libperl[0-9.]*|python3.*|libpython3.*)$'

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "${packages[*]}" ]; then
  echo "arm64: the sysroot in $sysroot is ready"
  exit 0
fi

mkdir -p "$state/lists/partial" "$state/archives/partial"
: > "$state/status"
apt_options=(
  -o "Dir::State=$state" -o "Dir::State::Lists=$state/lists" -o "Dir::State::status=$state/status"
  -o "Dir::Cache=$state" -o "Dir::Cache::Archives=$state/archives"
  -o APT::Architecture=arm64 -o "APT::Architectures::=arm64"
  -o APT::Install-Recommends=false -o Debug::NoLocking=true -q
)
echo "arm64: reading Debian's package lists for arm64"
apt-get "${apt_options[@]}" update >/dev/null
echo "arm64: fetching the packages"
rm -f "$state"/archives/*.deb
apt-get "${apt_options[@]}" -y --download-only install "${packages[@]}" >/dev/null

# Unpacked side by side. A package database of the unpacked packages (for dpkg-shlibdeps, which
# works out the package's dependencies from it) names their files with the folder in front.
rm -rf "$sysroot" "$root/dpkg"
mkdir -p "$sysroot" "$root/dpkg/info" "$root/dpkg/updates" "$root/dpkg/triggers"
: > "$root/dpkg/status"
control="$(mktemp -d)"
for deb in "$state"/archives/*.deb; do
  name="$(basename "$deb")"
  name="${name%%_*}"
  [[ "$name" =~ $skipped ]] && continue
  dpkg-deb -x "$deb" "$sysroot"
  { dpkg-deb -f "$deb" | grep -v '^Status:'; echo "Status: install ok installed"; echo; } \
    >> "$root/dpkg/status"
  info="$root/dpkg/info/$name"  # a database of dpkg's first layout: names without architecture
  dpkg-deb -c "$deb" | awk -v root="$sysroot" '{sub(/^\./, "", $6); if ($6 != "/") print root $6}' \
    | sed 's| ->.*||' > "$info.list"
  rm -rf "$control"/*
  dpkg-deb -e "$deb" "$control"
  for f in shlibs symbols; do
    if [ -f "$control/$f" ]; then cp "$control/$f" "$info.$f"; fi
  done
done
rm -rf "$control"

# Links that name an absolute path would lead out of the folder: make them relative.
while IFS= read -r link; do
  target="$(readlink "$link")"
  [[ "$target" == /* ]] || continue
  ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$sysroot$target")" "$link"
done < <(find "$sysroot" -type l)
# Libraries that the alternatives system links into place when a package is installed (BLAS and
# LAPACK, which FFmpeg's filters pull in).
lib="$sysroot/usr/lib/aarch64-linux-gnu"
for alternative in "$lib"/blas/lib*.so.* "$lib"/lapack/lib*.so.*; do
  [ -e "$alternative" ] || continue
  link="$lib/$(basename "$alternative")"
  [ -e "$link" ] || ln -s "$(basename "$(dirname "$alternative")")/$(basename "$alternative")" "$link"
done
echo "${packages[*]}" > "$stamp"
echo "arm64: the sysroot is in $sysroot"
