#!/usr/bin/env bash
# The real-port path (VYR_PORT=ieee1284: libieee1284 over the kernel's ppdev
# interface) against a ppdev device emulated over FUSE with the virtual
# printer behind it (ppdev_emulator), in a private mount namespace: the FUSE
# files are bound over /dev/parportN on a private /dev, a tmpfs over
# /proc/sys/dev gives libieee1284 the ports' base-addr and irq. The engine
# runs without CAP_SYS_RAWIO, so libieee1284 cannot fall back to the
# machine's own I/O ports.
#
#   ppdev_test.sh CASE BIN_DIR
#
# Short jobs stop with a close request after two image lines (each register
# access is a round trip through the kernel); "page" prints the whole page.
# Exit status 77: the case cannot run here (not root, no /dev/fuse).
set -uo pipefail
case=$1
bin=$(cd "$2" && pwd)
self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL ($case): $*"; show; exit 1; }
show() {
  for f in "$T"/stderr "$T"/harness.log; do
    [ -s "$f" ] && { echo "--- $f"; tail -n 20 "$f"; }
  done
  return 0
}

# Cases that need no namespace.
T=$(mktemp -d /tmp/vyr-ppdev.XXXXXX)
trap 'rm -rf --one-file-system "$T"' EXIT
case $case in
  runpath)
    # No program or module may look for libraries in the current folder: no
    # empty entry in a run path.
    n=0
    for f in "$bin"/*; do
      head -c 4 "$f" 2>/dev/null | grep -q ELF || continue
      path=$(readelf -d "$f" | sed -nE 's/.*\((RUNPATH|RPATH)\).*\[(.*)\]/\2/p')
      [ -z "$path" ] && continue
      n=$((n + 1))
      case ":$path:" in *::*) fail "$f has an empty run path entry: [$path]" ;; esac
    done
    [ "$n" -gt 0 ] || fail "no program with a run path in $bin"
    exit 0 ;;
  bad_choice)
    "$bin/vyrtool" make-demo "$T/root" >/dev/null || fail "make-demo"
    for port in "ieee1284:" "ieee1284:parport0@0x3bd" "ieee1284x" "lpt9" "virtual:colour=blue"; do
      cp "$T/root/c/abx.1" "$T/page.bmp"
      VYR_ROOT="$T/root" VYR_PORT="$port" VYR_CLOCK=virtual VYR_UI=record:"$T/ui" \
        "$bin/vyr" 1 1 2>"$T/stderr"
      rc=$?
      [ "$rc" -eq 1 ] || fail "VYR_PORT=$port: exit status $rc, not 1"
      grep -q "VYR_PORT=$port" "$T/stderr" || fail "VYR_PORT=$port: not named on standard error"
      cp "$T/page.bmp" "$T/root/c/abx.1"
    done
    exit 0 ;;
esac

# Everything else runs in a private mount namespace of its own.
if [ "${VYR_PPDEV_NAMESPACE:-}" != 1 ]; then
  [ "$(id -u)" -eq 0 ] || skip "needs root for a private mount namespace"
  [ -c /dev/fuse ] || skip "no /dev/fuse"
  command -v setpriv >/dev/null || skip "no setpriv (util-linux)"
  rmdir "$T"
  VYR_PPDEV_NAMESPACE=1 exec unshare -m --propagation private "$self" "$@"
fi

emu=""
cleanup() {
  if [ -n "$emu" ]; then kill -TERM "$emu" 2>/dev/null; wait "$emu" 2>/dev/null; fi
  umount -l "$T/fuse" 2>/dev/null
  rm -rf --one-file-system "$T"
}
trap cleanup EXIT
mkdir -p "$T/fuse"
"$bin/vyrtool" make-demo "$T/root" >/dev/null || fail "make-demo"
cp "$T/root/c/abx.1" "$T/page.bmp"

# start_emulator ARGS...: mounts the devices on $T/fuse.
start_emulator() {
  mkfifo "$T/ready"
  "$bin/ppdev_emulator" "$T/fuse" "$T/ready" "$T/harness.log" "$@" &
  emu=$!
  read -r -t 20 _ <"$T/ready" || fail "the emulator did not start"
}
# stop_emulator: unmounts; the printers write their files.
stop_emulator() {
  kill -TERM "$emu"
  wait "$emu"
  emu=""
}
# private_dev NAME...: a /dev of its own with the few nodes a run needs, and
# the emulated devices NAME... from $T/fuse. (Nothing of the machine's /dev
# is bound into the test's folder, which is removed at the end.)
private_dev() {
  mount -t tmpfs -o mode=755 tmpfs /dev
  mknod -m 666 /dev/null c 1 3
  mknod -m 666 /dev/zero c 1 5
  mknod -m 666 /dev/full c 1 7
  mknod -m 666 /dev/random c 1 8
  mknod -m 666 /dev/urandom c 1 9
  ln -s /proc/self/fd /dev/fd
  for n in "$@"; do
    touch "/dev/$n"
    mount --bind "$T/fuse/$n" "/dev/$n"
  done
}
# kernel_ports NAME=BASE...: the kernel's port list as libieee1284 reads it
# (no argument: /proc/sys/dev without parport).
kernel_ports() {
  mount -t tmpfs tmpfs /proc/sys/dev
  for p in "$@"; do
    mkdir -p "/proc/sys/dev/parport/${p%=*}"
    printf '%d\t0\n' "${p#*=}" >"/proc/sys/dev/parport/${p%=*}/base-addr"
    echo -1 >"/proc/sys/dev/parport/${p%=*}/irq"
  done
}
# run_vyr VAR=VALUE...: one job of one copy on the demonstration page;
# status in $rc.
run_vyr() {
  cp "$T/page.bmp" "$T/root/c/abx.1"
  env VYR_ROOT="$T/root" VYR_CLOCK=virtual VYR_UI=record:"$T/ui" "$@" \
    setpriv --bounding-set -sys_rawio "$bin/vyr" 1 1 2>"$T/stderr"
  rc=$?
}
# reference OPTIONS: the same job on the in-process virtual printer, its
# files in $T/ref.
reference() {
  run_vyr VYR_PORT="virtual:out=$T/ref${1:+,$1}"
  [ "$rc" -eq 0 ] || fail "the reference job on the virtual printer: status $rc"
}
# same_until_close TRANSCRIPT: up to its last image line the transcript is the
# reference's, and at least two lines got through.
same_until_close() {
  local n
  n=$(grep -n '"cmd":"24 00 01"' "$1" | tail -n 1 | cut -d: -f1)
  [ -n "$n" ] || fail "no image line reached the printer"
  [ "$(grep -c '"cmd":"24 00 01"' "$1")" -ge 2 ] || fail "fewer than two image lines"
  cmp <(head -n "$n" "$1") <(head -n "$n" "$T/ref/transcript.jsonl") ||
    fail "the transcript differs from the virtual printer's"
}
expect_status() { [ "$rc" -eq "$1" ] || fail "exit status $rc, expected $1"; }
expect_said() { grep -q -- "$1" "$T/stderr" || fail "standard error does not say: $1"; }
registers() { grep '^registers' "$T/harness.log"; }

case $case in
  short_job)
    # The default search, the port at its own base: the same transcript as the
    # virtual printer up to the close request; a claim per block, each one
    # released (a second port too), never held across; find-printer lists it.
    reference
    start_emulator --port parport0=out="$T/vp0" --port parport1=absent --term-after-lines 2
    private_dev parport0 parport1
    kernel_ports parport0=888 parport1=632
    run_vyr VYR_PORT=ieee1284
    expect_status 5
    VYR_CLOCK=virtual "$bin/vyrtool" find-printer >"$T/found" 2>>"$T/stderr" || fail "find-printer: status $?"
    [ "$(cat "$T/found")" = parport0 ] || fail "find-printer listed: $(cat "$T/found")"
    # Every port of the machine, the one without a printer too.
    VYR_CLOCK=virtual "$bin/vyrtool" find-printer --ports >"$T/found" 2>>"$T/stderr" || fail "find-printer --ports: status $?"
    [ "$(echo $(cat "$T/found"))" = "parport0 parport1" ] || fail "find-printer --ports listed: $(cat "$T/found")"
    stop_emulator
    same_until_close "$T/vp0/transcript.jsonl"
    grep -q '"event":"run_end"' "$T/vp0/transcript.jsonl" || fail "no run end after the close request"
    for p in parport0:20 parport1:3; do
      claims=$(grep -c "^claim ${p%:*}" "$T/harness.log")
      releases=$(grep -c "^release ${p%:*}" "$T/harness.log")
      [ "$claims" -gt "${p#*:}" ] || fail "${p%:*} claimed $claims times: not once per use"
      [ "$claims" -eq "$releases" ] || fail "${p%:*}: $claims claims, $releases releases"
    done
    ! grep -q "releasing its claim" "$T/harness.log" || fail "a port was still claimed at its close"
    ! grep -q "^refused" "$T/harness.log" || fail "a register access without a claim"
    registers ;;
  named_base)
    # One port by name, placed at another base.
    reference base=0x278
    start_emulator --port parport0=out="$T/vp0" --term-after-lines 2
    private_dev parport0
    kernel_ports parport0=888
    run_vyr VYR_PORT=ieee1284:parport0@0x278
    expect_status 5
    stop_emulator
    same_until_close "$T/vp0/transcript.jsonl" ;;
  other_base)
    # A card at 0xD010 takes a free base of the four: found by default.
    reference
    start_emulator --port parport0=out="$T/vp0" --term-after-lines 2
    private_dev parport0
    kernel_ports parport0=53264
    run_vyr VYR_PORT=ieee1284
    expect_status 5
    VYR_CLOCK=virtual "$bin/vyrtool" find-printer >"$T/found" 2>>"$T/stderr" || fail "find-printer: status $?"
    [ "$(cat "$T/found")" = parport0 ] || fail "find-printer listed: $(cat "$T/found")"
    stop_emulator
    same_until_close "$T/vp0/transcript.jsonl" ;;
  permission)
    start_emulator --port parport0 --deny parport0
    private_dev parport0
    kernel_ports parport0=888
    run_vyr VYR_PORT=ieee1284
    expect_status 6
    expect_said "parallel port parport0 (at 0x378): permission denied: join the group lp"
    stop_emulator ;;
  held_close)
    # Another program holds parport0: a close request ends the wait. The job
    # ends as closed (5), nothing reaches a printer that was never found, the
    # exit signals still go to the port that is free, the page is deleted.
    start_emulator --port parport0=out="$T/vp0" --port parport1=id=XXXXXX,out="$T/vp1" \
      --hold parport0 --term-waiter
    private_dev parport0 parport1
    kernel_ports parport0=888 parport1=632
    run_vyr VYR_PORT=ieee1284
    expect_status 5
    expect_said "parallel port parport0 (at 0x378): busy (another program"
    [ "$(grep -c 'parport0.*busy' "$T/stderr")" -eq 1 ] || fail "busy not said once"
    [ ! -e "$T/root/c/abx.1" ] || fail "the spooled page was not deleted"
    stop_emulator
    [ ! -s "$T/vp0/transcript.jsonl" ] || fail "the held port's printer saw something"
    ! grep -q run_end "$T/vp1/transcript.jsonl" || fail "a run end went to a printer never found"
    tail -n 1 "$T/vp1/transcript.jsonl" | grep -q '"bytes":"FF4A0A5A1A7A3A6A2A4A0A5A1A7A3A5A1AFF"' ||
      fail "the exit signals did not come last" ;;
  held_bound)
    # Held for good: the wait is bounded; the port is named as busy.
    start_emulator --port parport0=out="$T/vp0" --hold parport0
    private_dev parport0
    kernel_ports parport0=888
    run_vyr VYR_PORT=ieee1284
    expect_status 6
    [ "$(grep -c 'parport0 (at 0x378): busy' "$T/stderr")" -eq 1 ] || fail "busy not said once"
    stop_emulator ;;
  named_only)
    # ieee1284:parport1 with parport0 held by another program: the job runs
    # on parport1; parport0 is never claimed (libieee1284's own look at the
    # first device node is cut short, see port_ieee1284.cpp).
    reference
    start_emulator --port parport0=absent --port parport1=out="$T/vp1" --hold parport0 --term-after-lines 2
    private_dev parport0 parport1
    kernel_ports parport0=888 parport1=632
    run_vyr VYR_PORT=ieee1284:parport1
    expect_status 5
    stop_emulator
    same_until_close "$T/vp1/transcript.jsonl"
    ! grep -q "^claim parport0" "$T/harness.log" || fail "parport0 was claimed" ;;
  guessed)
    # /dev/parport0 but no port in the kernel's list: libieee1284 would guess
    # the legacy addresses; nothing is touched and the reason is said once.
    start_emulator --port parport0=out="$T/vp0"
    private_dev parport0
    kernel_ports
    run_vyr VYR_PORT=ieee1284
    expect_status 6
    [ "$(grep -c '^vyr:' "$T/stderr")" -eq 1 ] || fail "not one line: $(cat "$T/stderr")"
    expect_said "/dev/parport0 is there, but the kernel lists no parallel port"
    stop_emulator
    registers | grep -q '^registers parport0: 0 ' || fail "registers were accessed" ;;
  no_ports)
    private_dev
    kernel_ports
    VYR_CLOCK=virtual "$bin/vyrtool" find-printer >"$T/found" 2>"$T/stderr"
    rc=$?
    expect_status 1
    [ ! -s "$T/found" ] || fail "find-printer listed: $(cat "$T/found")"
    [ "$(cat "$T/stderr")" = "vyr: no parallel port found" ] || fail "said: $(cat "$T/stderr")" ;;
  control_reads)
    # Every register read as the virtual printer gives it, control included.
    pokes=(r379 w37A=0C r37A w37A=0E r37A w37A=08 r37A w37A=0C r37A r379 w378=5A r378)
    VYR_CLOCK=virtual VYR_PORT=virtual "$bin/port_poke" "${pokes[@]}" >"$T/virtual" || fail "port_poke"
    start_emulator --port parport0
    private_dev parport0
    kernel_ports parport0=888
    VYR_CLOCK=virtual VYR_PORT=ieee1284 setpriv --bounding-set -sys_rawio \
      "$bin/port_poke" "${pokes[@]}" >"$T/real" 2>"$T/stderr" || fail "port_poke"
    stop_emulator
    diff "$T/virtual" "$T/real" || fail "registers read differently through ppdev" ;;
  page)
    # The whole page: the same transcript and print as the virtual printer.
    reference
    start_emulator --port parport0=out="$T/vp0"
    private_dev parport0
    kernel_ports parport0=888
    run_vyr VYR_PORT=ieee1284
    expect_status 0
    stop_emulator
    cmp "$T/vp0/transcript.jsonl" "$T/ref/transcript.jsonl" || fail "the transcript differs"
    cmp "$T/vp0/copy1.png" "$T/ref/copy1.png" || fail "the print differs"
    registers ;;
  *) fail "no such case" ;;
esac
exit 0
