#!/usr/bin/env bash
# Measures the printer application (not a test; run by hand):
#   1. time from Print-Job to the first line block at the virtual printer,
#   2. wall time of a one-copy job through the application against `vyr` alone
#      on the same page (both on the real clock),
#   3. peak memory of the server with 20 jobs queued at once.
#
#   bench/printer_app.sh [BIN_DIR]       (default build/release/bin)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(cd "${1:-build/release/bin}" && pwd)
work=$(mktemp -d /tmp/vyr-printer-app-bench.XXXXXX)
. bench/printer_app_server.sh
cleanup() {
  stop_server
  rm -rf "$work"
}
trap cleanup EXIT

port=$(free_port)
uri="ipp://127.0.0.1:$port/ipp/print/photo"
convert -size 1600x1200 plasma:fractal -seed 7 -quality 92 "$work/photo.jpg"
write_print_test "$work/print.test"

# One job on the real clock: the moments of Print-Job, the first image line
# at the printer and the job's end, from one Python loop polling every 2 ms.
start_server "$bin" "$work/state" real "$work/server.log" warn
"$bin/vyr-printer-app" add -u "ipp://127.0.0.1:$port" -d photo -m vyr -v "vyr://virtual/?out=out" >/dev/null
python3 - "$uri" "$work" <<'PY'
import os, subprocess, sys, time
uri, work = sys.argv[1], sys.argv[2]
# the virtual printer's out=out folder lies in the server's state folder
out = os.path.join(work, "state", "virtual", "out", "transcript.jsonl")
t0 = time.monotonic()
job = subprocess.Popen(["ipptool", "-q", "-d", "format=image/jpeg", "-d", "copies=1", "-f",
                        os.path.join(work, "photo.jpg"), uri, os.path.join(work, "print.test")])
first = end = None
while end is None and time.monotonic() - t0 < 300:
    try:
        with open(out) as f:
            text = f.read()
    except FileNotFoundError:
        text = ""
    if first is None and '"cmd":"24 00 01"' in text:
        first = time.monotonic() - t0
    if '"event":"run_end"' in text:
        end = time.monotonic() - t0
    time.sleep(0.002)
job.wait()
print(f"print-job to first line block: {first * 1000:.0f} ms")
print(f"print-job to run end (application, 1 copy): {end:.2f} s")
with open(os.path.join(work, "app.s"), "w") as f:
    f.write(f"{end}\n")
PY
stop_server

# vyr alone on the page the job spooled, with the printer's disk.
root=$work/alone
mkdir -p "$root/c"
cp -r "$work/state/printers/1/windows" "$root/windows"  # a link out of the disk is not followed
runs=()
for i in 1 2 3; do
  cp "$work/state/printers/1/last-page.bmp" "$root/c/abx.1"
  start=$(date +%s.%N)
  VYR_ROOT=$root VYR_CLOCK=real VYR_PORT="virtual:out=$work/alone-out" VYR_UI=record:/dev/null "$bin/vyr" 1 1
  runs+=("$(echo "$(date +%s.%N) - $start" | bc)")
done
alone=$(printf '%s\n' "${runs[@]}" | sort -n | head -1)
app=$(cat "$work/app.s")
echo "vyr alone on the same page (best of 3): ${alone} s"
echo "application overhead: $(echo "scale=2; ($app - $alone) * 100 / $alone" | bc) %"

# 20 jobs queued at once (virtual clock, so they print quickly), peak memory.
rm -rf "$work/state/virtual/out"
start_server "$bin" "$work/state" virtual "$work/server.log" warn
for i in $(seq 20); do
  ipptool -q -d format=image/jpeg -d copies=1 -f "$work/photo.jpg" "$uri" "$work/print.test" &
done
wait_jobs() {
  for _ in $(seq 600); do
    "$bin/vyr-printer-app" jobs -u "ipp://127.0.0.1:$port" -d photo 2>/dev/null |
      grep -qv completed || return
    sleep 0.2
  done
}
wait
wait_jobs
echo "server peak memory with 20 queued jobs: $(grep VmHWM /proc/$server_pid/status | awk '{print $2, $3}')"
stop_server
