#!/usr/bin/env bash
# Measures the printer application's document path (not a test; run by hand):
#   1. a 12-megapixel JPEG (4000 x 3000): time from the end of its upload to
#      the engine's start, and the server's peak memory (VmHWM) for the job;
#   2. a 10-page PDF: all 10 prints in order, and the time per page spent
#      outside the engine (spooling, job disk, handing over).
# With BASELINE_BIN_DIR (another build, e.g. of the previous main) the JPEG
# is measured there too, in the same run, beside this build's figures.
#
#   bench/document_path.sh [BIN_DIR [BASELINE_BIN_DIR]]   (default build/release/bin)
#
# The engine runs on the virtual clock: only the application's own time is
# measured. Times come from the server's log (millisecond stamps): the end of
# the upload is "Received N bytes of document data", the engine's start the
# line that says so (its first event in earlier builds), its end "engine
# ended".
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(cd "${1:-build/release/bin}" && pwd)
baseline=${2:+$(cd "$2" && pwd)}
here=$(pwd)
work=$(mktemp -d /tmp/vyr-document-bench.XXXXXX)
. bench/printer_app_server.sh
cleanup() {
  stop_server
  rm -rf "$work"
}
trap cleanup EXIT

port=$(free_port)
uri="ipp://127.0.0.1:$port/ipp/print/photo"
convert -size 4000x3000 plasma:fractal -seed 7 -quality 92 "$work/photo.jpg"
pages=()
for k in $(seq 10); do pages+=("288x216:$(printf '%02x%02x%02x' $((k * 25)) $((255 - k * 20)) $((k * 13)))"); done
python3 "$here/tests/printer_app/make_pdf.py" "$work/ten.pdf" "${pages[@]}"
write_print_test "$work/print.test"
# add_printer BIN_DIR DEVICE-URI: the printer "photo" (a server just started
# may refuse for a moment).
add_printer() {
  for _ in $(seq 50); do
    "$1/vyr-printer-app" add -u "ipp://127.0.0.1:$port" -d photo -m vyr -v "$2" >/dev/null 2>&1 && return
    sleep 0.1
  done
  echo "cannot add the printer" >&2
  exit 1
}
wait_first_job() {
  for _ in $(seq 600); do
    grep -qa "\[Job 1\] \(Completed\|Aborted\)" "$work/server.log" && return
    sleep 0.1
  done
}
hwm() { awk '/VmHWM/ {print $2}' "/proc/$server_pid/status"; }

# job_times LOG: per job in the log, the end of the upload, each engine run's
# start and end; prints "upload-to-engine ms, outside-engine ms per print,
# prints" of the last job.
job_times() {
  python3 - "$1" <<'PY'
import re, sys
from datetime import datetime
def t(line):
    return datetime.strptime(re.search(r"\[(\d{4}-[^Z]*)Z\]", line).group(1), "%Y-%m-%dT%H:%M:%S.%f").timestamp()
jobs = {}
for line in open(sys.argv[1], errors="replace"):
    m = re.search(r"\[Job (\d+)\] (.*)", line)
    if not m: continue
    j = jobs.setdefault(int(m.group(1)), {"runs": []})
    text = m.group(2)
    if text.startswith("Received ") and "document data" in text: j["upload"] = t(line)
    # The engine's start: its first event (early builds) or the line that
    # says it started ("engine pid N started", now "engine started under
    # keeper pid N").
    elif (text.startswith(("engine: ", "engine started")) or (text.startswith("engine pid ") and " started" in text)) \
            and (not j["runs"] or "end" in j["runs"][-1]):
        j["runs"].append({"start": t(line)})
    elif text.startswith("engine ended"): j["runs"][-1]["end"] = t(line)
    elif text.startswith(("Completed", "Aborted", "Canceled")): j["done"] = t(line)
j = jobs[max(jobs)]
runs = j["runs"]
inside = sum(r["end"] - r["start"] for r in runs)
outside = (j["done"] - j["upload"]) - inside
print(f"{(runs[0]['start'] - j['upload']) * 1000:.0f} {outside * 1000 / len(runs):.0f} {len(runs)}")
PY
}

# jpeg BIN_DIR LABEL: the 12-megapixel photo through the server of BIN_DIR.
jpeg() {
  rm -rf "$work/state" "$work/out" "$work/server.log"
  start_server "$1" "$work/state" virtual "$work/server.log" debug
  add_printer "$1" "vyr://virtual/"
  local before
  before=$(hwm)
  ipptool -q -d format=image/jpeg -d copies=1 -f "$work/photo.jpg" "$uri" "$work/print.test"
  wait_first_job
  read -r to_engine _ _ <<<"$(job_times "$work/server.log")"
  echo "$2: 4000 x 3000 JPEG: upload end to engine start ${to_engine} ms; server peak memory $(($(hwm) / 1024)) MB (before the job $((before / 1024)) MB)"
  stop_server
}

jpeg "$bin" "this build"
[ -n "$baseline" ] && jpeg "$baseline" "baseline  "

# The 10-page PDF: ten prints, checked in order against the pages as
# `vyrtool spool` makes them.
rm -rf "$work/state" "$work/out" "$work/server.log"
start_server "$bin" "$work/state" virtual "$work/server.log" debug
add_printer "$bin" "vyr://virtual/?out=out&runs"
ipptool -q -d format=application/pdf -d copies=1 -f "$work/ten.pdf" "$uri" "$work/print.test"
wait_first_job
read -r _ outside prints <<<"$(job_times "$work/server.log")"
stop_server
mkdir -p "$work/disk/c"
in_order=yes
for k in $(seq 10); do
  "$bin/vyrtool" spool --root "$work/disk" --scaling auto --page "$k" "$work/ten.pdf" >/dev/null
  "$bin/vyrtool" preview --root "$work/state/printers/1" --dump "$work/dump" "$work/disk/c/abx.1" >/dev/null
  cmp -s "$work/dump/lines.bin" "$work/state/virtual/out/copy$k.lines" || in_order=no
done
[ -e "$work/state/virtual/out/copy11.lines" ] && in_order=no
echo "this build: 10-page PDF: $prints prints, in page order: $in_order; outside the engine ${outside} ms per page"
