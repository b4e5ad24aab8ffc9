#!/usr/bin/env bash
# The installed systemd unit's sandbox: lays out the printer application as
# `cmake --install --prefix DIR` does and asks systemd-analyze for the
# unit's exposure (0 = fully sandboxed, 10 = not at all); 3.0 at most.
#
#   unit_security.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/vyr-unit-test.XXXXXX)
trap 'rm -rf "$work"' EXIT

cmake -DCMAKE_INSTALL_PREFIX="$work/prefix" -P "$build/printer-app/cmake_install.cmake" >/dev/null
unit=$work/prefix/lib/systemd/system/vyr-printer-app.service
[ -f "$unit" ] || { echo "FAIL: no unit installed" >&2; exit 1; }
grep -q "^ExecStart=$work/prefix/bin/vyr-printer-app server" "$unit" ||
  { echo "FAIL: the unit does not run the installed program" >&2; exit 1; }
report=$(systemd-analyze security --offline=true "$unit" 2>&1 || true)
level=$(sed -n 's/.*Overall exposure level for vyr-printer-app.service: \([0-9.]*\).*/\1/p' <<<"$report")
[ -n "$level" ] || { echo "FAIL: no exposure level in: $report" >&2; exit 1; }
echo "exposure level: $level"
awk -v l="$level" 'BEGIN { exit !(l <= 3.0) }' || {
  grep '✗' <<<"$report" >&2
  echo "FAIL: exposure $level is over 3.0" >&2
  exit 1
}
