# What the printer application's benchmarks share (sourced, after $work is
# made): a free port, the server started on it with its state, socket and home
# in $work and stopped again, and the Print-Job file they send with ipptool
# (-d format=TYPE -d copies=N; it shows the job's id).

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

server_pid=
# start_server BIN_DIR STATE CLOCK LOG LOG_LEVEL: on 127.0.0.1:$port; returns
# once it answers.
start_server() {
  SNAP_COMMON=$work TMPDIR=$work HOME=$work VYR_CLOCK=$3 \
    "$1/vyr-printer-app" server -o state-directory="$2" -o server-port="$port" \
    -o listen-hostname=127.0.0.1 -o log-file="$4" -o log-level="$5" &
  server_pid=$!
  for _ in $(seq 100); do
    "$1/vyr-printer-app" printers -u "ipp://127.0.0.1:$port" >/dev/null 2>&1 && return
    sleep 0.1
  done
  echo "server did not start" >&2
  exit 1
}
stop_server() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  server_pid=
}

# write_print_test FILE
write_print_test() {
  cat >"$1" <<'T'
{ OPERATION Print-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR name requesting-user-name bench
  ATTR mimeMediaType document-format $format
  GROUP job-attributes-tag
  ATTR integer copies $copies
  FILE $filename
  STATUS successful-ok
  DISPLAY job-id }
T
}
