#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a desktop and a packager see: the four
# programs, valid menu entries whose icons exist at every size, valid AppStream metainfo, a
# manual page for every program that names every option the program's --help names, and the
# receiving station's systemd user service with its example options.
#
#   check_installation.sh BUILD_DIR
set -uo pipefail

build_dir="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
failures=0
checks=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { checks=$((checks + 1)); }

cmake --install "$build_dir" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
export QT_QPA_PLATFORM=offscreen

programs=(mosaic mosaiccast mosaicview pttswitch)
for program in "${programs[@]}"; do
  check
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not installed"
done

# The width and height in a PNG file's header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'; }

desktop_files=("$prefix"/share/applications/*.desktop)
[ "${#desktop_files[@]}" -eq 3 ] || fail "expected 3 desktop files, found ${#desktop_files[@]}"
for desktop in "${desktop_files[@]}"; do
  check
  desktop-file-validate "$desktop" || fail "$desktop is not valid"
  exec_name="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")"
  [ -x "$prefix/bin/$exec_name" ] || fail "$desktop starts $exec_name, which is not installed"
  icon="$(sed -n 's/^Icon=//p' "$desktop")"
  for size in 16 32 48 128; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png"
    check
    if [ ! -f "$png" ]; then
      fail "no ${size} px icon $icon"
    elif [ "$(png_size "$png")" != "${size}x${size}" ]; then
      fail "$png is $(png_size "$png"), not ${size}x${size}"
    fi
  done
  svg="$prefix/share/icons/hicolor/scalable/apps/$icon.svg"
  check
  grep -q '<svg ' "$svg" 2>/dev/null && grep -q '<rect ' "$svg" && grep -q '</svg>' "$svg" ||
    fail "no drawing in the scalable icon $icon"
done

check
appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml ||
  fail "the AppStream metainfo is not valid"

check
version="$("$prefix/bin/mosaic" --version)" || fail "mosaic --version failed"
[[ "$version" == mosaic* ]] || fail "mosaic --version says '$version'"

# The options a help text names: long options, and "-o".
options_in() { grep -oE '(^|[^a-z0-9-])(--[a-z][a-z0-9-]*|-o)\b' | grep -oE -- '-+[a-z][a-z0-9-]*' | sort -u; }

# Every option of the help text on standard input must be in the manual page.
check_page_names() {
  local page="$1" text option
  text="$(gzip -dc "$page" | sed 's/\\-/-/g')"
  while read -r option; do
    [ -z "$option" ] && continue
    check
    grep -qF -- "$option" <<<"$text" || fail "$(basename "$page") does not mention $option"
  done < <(options_in)
}

man_dir="$prefix/share/man/man1"
for program in "${programs[@]}"; do
  page="$man_dir/$program.1.gz"
  check
  if ! gzip -t "$page" 2>/dev/null || ! gzip -dc "$page" | grep -q '^\.TH '; then
    fail "no manual page for $program"
    continue
  fi
  if [ "$program" = mosaic ]; then
    help="$("$prefix/bin/mosaic" --help)"
    check_page_names "$page" <<<"$help"
    for command in $(sed -n 's/^  \([a-z]\+\) .*/\1/p' <<<"$help"); do
      check
      gzip -dc "$page" | grep -qw "$command" ||
        fail "mosaic.1 does not describe the command $command"
      check_page_names "$page" < <("$prefix/bin/mosaic" "$command" --help)
    done
  else
    # A windowed program that does not answer --help opens its window: it is ended after a while
    # and its page is then not compared.
    help="$(timeout 5 "$prefix/bin/$program" --help 2>/dev/null)"
    status=$?
    if [ "$status" -ne 0 ] || [ -z "$help" ]; then
      echo "note: $program does not answer --help (status $status); its page is not compared"
      continue
    fi
    check_page_names "$page" <<<"$help"
  fi
done

# The station's service starts the installed tool. (The example's options are checked by the
# monitor's tests.)
unit="$prefix/lib/systemd/user/mosaic-monitor.service"
example="$prefix/share/doc/mosaic-tv/examples/monitor.conf"
check
if [ ! -f "$unit" ] || [ ! -f "$example" ]; then
  fail "the monitor's service or its example options are not installed"
else
  check
  grep -q "^ExecStart=$prefix/bin/mosaic monitor \$MONITOR_OPTIONS\$" "$unit" ||
    fail "the service does not start the installed mosaic monitor"
  if command -v systemd-analyze >/dev/null; then
    check
    # Any remark, not only an error, is a fault in a unit we ship.
    remarks="$(MANPATH="$prefix/share/man" systemd-analyze verify "$unit" 2>&1)" ||
      fail "systemd-analyze verify: $remarks"
    [ -z "$remarks" ] || fail "systemd-analyze verify remarks: $remarks"
  else
    echo "note: systemd-analyze is missing; the service is not verified"
  fi
fi

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
