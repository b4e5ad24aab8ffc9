#!/usr/bin/env bash
# Measures the printer application's queue (not a test; run by hand), for one
# or more builds side by side:
#   a burst of 30 one-page jobs sent at once (virtual clock): whether all
#   complete, the order they print in against the order they arrived, the
#   most engines running at one moment, the server's peak memory and the
#   burst's wall time;
#   the wall time of a one-copy job through the application (Print-Job to
#   the job's end, real clock) against `vyr` alone on the same page.
#
#   bench/printer_app_queue.sh BIN_DIR [BIN_DIR...]     (e.g. build/release/bin)
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d /tmp/vyr-queue-bench.XXXXXX)
. bench/printer_app_server.sh
cleanup() {
  stop_server
  rm -rf "$work"
}
trap cleanup EXIT
convert -size 1600x1200 plasma:fractal -seed 7 -quality 92 "$work/photo.jpg"
write_print_test "$work/print.test"

for bin in "$@"; do
  bin=$(cd "$bin" && pwd)
  for clock in virtual real; do
    state=$work/state-$clock
    rm -rf "$state" "$work/out" "$work/server-$clock.log"*
    port=$(free_port)
    start_server "$bin" "$state" "$clock" "$work/server-$clock.log" info
    "$bin/vyr-printer-app" add -u "ipp://127.0.0.1:$port" -d photo -m vyr \
      -v "vyr://virtual/?out=out" >/dev/null
    python3 - "$bin" "ipp://127.0.0.1:$port/ipp/print/photo" "$work" "$server_pid" "$clock" "$state" <<'PY'
import os, re, subprocess, sys, time
bin, uri, work, server, clock, state = sys.argv[1:]
vyr = os.path.realpath(os.path.join(bin, "vyr"))
log = os.path.join(work, f"server-{clock}.log")

def engines():
    n = 0
    for pid in os.listdir("/proc"):
        if pid.isdigit():
            try:
                if os.path.realpath(f"/proc/{pid}/exe") == vyr:
                    n += 1
            except OSError:
                pass
    return n

def submit():
    return subprocess.Popen(["ipptool", "-tv", "-d", "format=image/jpeg", "-d", "copies=1",
                             "-f", os.path.join(work, "photo.jpg"), uri,
                             os.path.join(work, "print.test")], stdout=subprocess.PIPE, text=True)

def ended(ids):
    text = open(log).read()
    return {int(m.group(1)) for m in re.finditer(r"\[Job (\d+)\] (Completed|Aborted|Canceled)", text)} >= set(ids)

if clock == "virtual":
    t0 = time.monotonic()
    jobs = [submit() for _ in range(30)]
    ids = []
    for j in jobs:
        out = j.communicate()[0]
        m = re.search(r"job-id \(integer\) = (\d+)", out)
        if m:
            ids.append(int(m.group(1)))
    most = 0
    while not ended(ids) and time.monotonic() - t0 < 600:
        most = max(most, engines())
        time.sleep(0.002)
    wall = time.monotonic() - t0
    text = open(log).read()
    done = [int(m.group(1)) for m in re.finditer(r"\[Job (\d+)\] Completed", text)]
    started = [int(m.group(1)) for m in re.finditer(r"\[Job (\d+)\] Starting print job", text)]
    hwm = [l for l in open(f"/proc/{server}/status") if l.startswith("VmHWM")][0].split()[1]
    print(f"{bin}: burst of 30: {len(ids)} taken, {len(done)} completed in {wall:.1f} s; "
          f"in arrival order: {done == sorted(ids)}; most engines at once: {most}; "
          f"server peak memory {hwm} kB")
    print(f"  completion order: {' '.join(map(str, done))}")
    print(f"  PAPPL start order: {' '.join(map(str, started))}")
else:
    runs = []
    for _ in range(3):
        t0 = time.monotonic()
        j = submit()
        out = j.communicate()[0]
        jid = int(re.search(r"job-id \(integer\) = (\d+)", out).group(1))
        while not ended([jid]):
            time.sleep(0.002)
        runs.append(time.monotonic() - t0)
    with open(os.path.join(work, "app.s"), "w") as f:
        f.write(f"{min(runs)}\n")
PY
    stop_server
  done
  # vyr alone on the page the application spooled, with the printer's disk.
  root=$work/alone
  rm -rf "$root"; mkdir -p "$root/c"
  cp -r "$work/state-real/printers/1/windows" "$root/windows"
  alone=()
  for _ in 1 2 3; do
    cp "$work/state-real/printers/1/last-page.bmp" "$root/c/abx.1"
    start=$(date +%s.%N)
    VYR_ROOT=$root VYR_CLOCK=real VYR_PORT="virtual:out=$work/alone-out" VYR_UI=record:/dev/null "$bin/vyr" 1 1
    alone+=("$(echo "$(date +%s.%N) - $start" | bc)")
  done
  best=$(printf '%s\n' "${alone[@]}" | sort -n | head -1)
  app=$(cat "$work/app.s")
  echo "$bin: one copy, real clock (best of 3): application $app s, vyr alone $best s," \
    "overhead $(echo "scale=2; ($app - $best) * 100 / $best" | bc) %"
done
