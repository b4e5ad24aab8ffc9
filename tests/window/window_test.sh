#!/usr/bin/env bash
# The window back end (VYR_UI=window) on a real X server: run under xvfb-run
# (software rendering), the engine on the virtual clock and the virtual
# printer, the user played by xdotool.
#
#   window_test.sh PART BIN_DIR     PART: progress | ok | question-yes | question-no | fallback
#
# A mid-job state is looked at with the engine stopped (SIGSTOP): what the
# window shows is then what the printer has received, and a close request
# sent meanwhile is taken at the first tick after SIGCONT. Waits are bounded
# polls; every process this script starts is ended when it ends.
set -euo pipefail

part=$1
bin=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
probe="$here/x11_probe.py"
work=$(mktemp -d /tmp/vyr-window-test.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -CONT "$pid" 2>/dev/null || true; kill -KILL "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Under LeakSanitizer: fontconfig (its font cache), GLib and GTK keep
# allocations to the end of the process; ours are still reported.
printf 'leak:%s\n' libfontconfig.so libglib-2.0.so libgtk-4.so >"$work/lsan.supp"
export LSAN_OPTIONS="suppressions=$work/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# Software rendering on X11, no accessibility bus to look for.
export GDK_BACKEND=x11 GSK_RENDERER=cairo LIBGL_ALWAYS_SOFTWARE=1 GTK_A11Y=none NO_AT_BRIDGE=1
unset WAYLAND_DISPLAY VYR_ANSWERS

fail() {
  echo "FAIL: $*" >&2
  for f in "$work"/*.err; do [ -s "$f" ] && { echo "--- $f" >&2; tail -20 "$f" >&2; }; done
  exit 1
}

. "$here/../support/wait_until.sh"

# A job's own disk and printer: disk NAME lays out $work/NAME (the printer's
# files go to $work/NAME/vp).
disk() {
  "$bin/vyrtool" make-demo "$work/$1" >/dev/null
}

# start NAME LANG PRINTER_OPTIONS: vyr 1 1 in the background with the window.
start() {
  local name=$1 lang=$2 options=$3
  LANG=$lang LC_ALL= LC_MESSAGES= VYR_UI=window VYR_ROOT="$work/$name" VYR_CLOCK=virtual \
    VYR_PORT="virtual:out=$work/$name/vp$options" "$bin/vyr" 1 1 >"$work/$name.out" 2>"$work/$name.err" &
  job=$!
  pids+=("$job")
}

# Sets status to the exit status of the job started last, once it has ended
# (bounded).
finish() {
  wait_until 60 "end of the job" ended "$job"
  status=0
  wait "$job" || status=$?
}
ended() { ! kill -0 "$1" 2>/dev/null || [ "$(ps -o stat= -p "$1" | cut -c1)" = Z ]; }

# The window of process PID titled exactly TITLE, if it is there.
window_of() {
  local pid=$1 title=$2 w
  for w in $(xdotool search --name . 2>/dev/null); do
    if [ "$(xdotool getwindowpid "$w" 2>/dev/null)" = "$pid" ] &&
       [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$title" ]; then
      echo "$w"
      return 0
    fi
  done
  return 1
}
has_window() { window_of "$@" >/dev/null; }
has_icon() { xprop -id "$1" _NET_WM_ICON | grep -q 'Icon (64 x 64)'; }

lines_sent() { grep -c '"cmd":"24 00 01"' "$work/$1/vp/transcript.jsonl" 2>/dev/null || true; }
lines_at_least() { (($(lines_sent "$1") >= $2)); }

# "FRACTION DARK" of window W's picture (see x11_probe.py).
look() {
  import -window "$1" "$work/shot.png"
  convert "$work/shot.png" ppm:- | python3 "$probe" bar
}

# Answers each message box of process PID with KEY (Return takes the focused
# button: Yes or OK; Escape answers No) until the process ends; prints how many
# boxes it answered.
answer_all() {
  local pid=$1 key=$2 count=0 box end=$((SECONDS + 60))
  while ! ended "$pid"; do
    ((SECONDS < end)) || fail "the job did not end within 60 s"
    if box=$(window_of "$pid" vyr); then
      xdotool windowfocus --sync "$box" key "$key"
      count=$((count + 1))
      wait_until 10 "message box gone" gone "$box"
    fi
    sleep 0.1
  done
  echo "$count"
}
gone() { ! xdotool getwindowname "$1" >/dev/null 2>&1; }

# The same job with the record back end: its exit status, and its message
# count; the printer's transcript in $work/NAME/vp.
record_job() {
  local name=$1 options=$2 answers=$3 status=0
  disk "$name"
  VYR_UI="record:$work/$name.record" VYR_ANSWERS=$answers VYR_ROOT="$work/$name" VYR_CLOCK=virtual LANG=C \
    VYR_PORT="virtual:out=$work/$name/vp$options" "$bin/vyr" 1 1 >/dev/null 2>"$work/$name.err" || status=$?
  echo "$status $(grep -c '^message ' "$work/$name.record")"
}

# The job "job" ended by WHAT mid-page as a cancel: status 5, no page end, the
# run end and then the exit signals sent, the spooled page deleted.
ended_mid_page() {
  finish
  [ "$status" = 5 ] || fail "$1 mid-page: exit status $status, not 5"
  local t=$work/job/vp/transcript.jsonl
  grep -q '"event":"page_end"' "$t" && fail "$1: a page end was sent for a page not finished"
  grep -q '"event":"run_end"' "$t" || fail "$1: no run end"
  tail -1 "$t" | grep -q '"event":"signals"' || fail "$1: the exit signals were not the last thing sent"
  [ ! -e "$work/job/c/abx.1" ] || fail "$1: the spooled page was not deleted"
}

case $part in
progress)
  # German: the title is the engine's caption, the bar follows the lines the
  # printer has received, the close box ends the job mid-page.
  disk job
  start job de_DE.UTF-8 ""
  wait_until 30 "window titled 'Drucken  Kopie 1 von 1'" has_window "$job" "Drucken  Kopie 1 von 1"
  w=$(window_of "$job" "Drucken  Kopie 1 von 1")
  wait_until 10 "window icon" has_icon "$w"
  wait_until 30 "first lines" lines_at_least job 40
  kill -STOP "$job"
  first=$(lines_sent job)
  read -r fill1 dark <<<"$(look "$w")"
  kill -CONT "$job"
  wait_until 30 "more lines" lines_at_least job $((first + 200))
  kill -STOP "$job"
  second=$(lines_sent job)
  read -r fill2 dark <<<"$(look "$w")"
  cp "$work/shot.png" "$work/progress.png"
  echo "lines $first: bar $fill1; lines $second: bar $fill2; dark pixels $dark"
  ((second < 790)) || fail "the page was finished before the close (lines $second)"
  # The bar moves every 20 lines: within 3 % of the lines received, and it grew.
  python3 -c "import sys; f1,l1,f2,l2=map(float,sys.argv[1:]); sys.exit(not(abs(f1-l1/790)<0.03 and abs(f2-l2/790)<0.03 and f2>f1+0.2))" \
    "$fill1" "$first" "$fill2" "$second" || fail "bar $fill1 at $first lines, $fill2 at $second lines"
  # The percentage, the elapsed time and OK are drawn in dark text.
  ((dark > 60)) || fail "no texts in the window ($dark dark pixels)"
  python3 "$probe" close "$w"
  kill -CONT "$job"
  ended_mid_page "the close"
  ;;
ok)
  # OK, pressed with Return while the lines are sent, stops the job where it
  # stands: no page end, the run end and the exit signals, status 5.
  disk job
  start job C ""
  wait_until 30 "window" has_window "$job" "Printing  Copy 1 of 1"
  w=$(window_of "$job" "Printing  Copy 1 of 1")
  wait_until 30 "first lines" lines_at_least job 40
  kill -STOP "$job"
  xdotool windowfocus --sync "$w" key Return
  kill -CONT "$job"
  ended_mid_page OK
  ;;
question-yes | question-no)
  # The fault question answered with the keyboard gives what the record back
  # end gives with the same answer: exit status, messages, every byte sent.
  if [ "$part" = question-yes ]; then
    options=",fault=paper@line:100,fault_clears=reset" key=Return answer=yes
  else
    options=",fault=paper@line:100" key=Escape answer=no
  fi
  read -r want_status want_messages <<<"$(record_job recorded "$options" "2026=$answer")"
  disk job
  start job C "$options"
  wait_until 30 "question" has_window "$job" vyr
  box=$(window_of "$job" vyr)
  xdotool windowfocus --sync "$box" key "$key"
  wait_until 10 "question gone" gone "$box"
  # What follows the answer (a No stops the job with its messages) is taken
  # with OK.
  more=$(answer_all "$job" Return)
  finish
  echo "status $status (recorded $want_status), message boxes $((more + 1)) (recorded $want_messages)"
  [ "$status" = "$want_status" ] || fail "exit status $status, the record back end gives $want_status"
  [ $((more + 1)) = "$want_messages" ] || fail "$((more + 1)) message boxes, the record back end shows $want_messages"
  diff "$work/recorded/vp/transcript.jsonl" "$work/job/vp/transcript.jsonl" >/dev/null ||
    fail "the printer received other bytes than with the record back end"
  ;;
fallback)
  # Without a display the terminal shows the job, without a word about windows.
  disk plain
  status=0
  env -u DISPLAY -u VYR_UI LANG=C VYR_ROOT="$work/plain" VYR_CLOCK=virtual VYR_PORT=virtual \
    script -qec "'$bin/vyr' 1 1" /dev/null >"$work/plain.out" 2>"$work/plain.err" || status=$?
  [ "$status" = 0 ] || fail "no display: exit status $status"
  grep -q 'Copy 1 of 1 \[###################[#-]\]  100 %' "$work/plain.out" ||
    fail "no display: no progress line on the terminal: $(tr '\r' '\n' <"$work/plain.out" | tail -3)"
  grep -q 'window' "$work/plain.out" "$work/plain.err" && fail "no display: a window was spoken of"
  # A display that cannot be opened, a program without the module, a broken
  # module: one line on standard error, and the job prints.
  mkdir "$work/nomodule" "$work/broken"
  for f in vyr libvyrplatform.so lptgate.so vyr_eng.so; do
    cp "$bin/$f" "$work/nomodule/"
    cp "$bin/$f" "$work/broken/"
  done
  echo "not a module" >"$work/broken/vyr_ui_gtk.so"
  for case in "nodisplay $bin DISPLAY=:$((RANDOM % 1000 + 5000)) VYR_UI=" \
              "nomodule $work/nomodule VYR_UI=window" "broken $work/broken VYR_UI=window"; do
    read -r name dir settings <<<"$case"
    disk "$name"
    status=0
    env $settings LANG=C VYR_ROOT="$work/$name" VYR_CLOCK=virtual VYR_PORT="virtual:out=$work/$name/vp" \
      "$dir/vyr" 1 1 </dev/null >"$work/$name.out" 2>"$work/$name.err" || status=$?
    [ "$status" = 0 ] || fail "$name: exit status $status"
    [ "$(wc -l <"$work/$name.err")" = 1 ] && grep -q '^vyr: no window: .*; using the terminal$' "$work/$name.err" ||
      fail "$name: not one line on standard error: $(cat "$work/$name.err")"
    grep -q '"event":"page_end"' "$work/$name/vp/transcript.jsonl" || fail "$name: the page was not printed"
  done
  ;;
*)
  echo "usage: $0 progress|ok|question-yes|question-no|fallback BIN_DIR" >&2
  exit 64
  ;;
esac
echo "ok: $part"
