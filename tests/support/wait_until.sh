# Sourced by the test scripts: bounded polls, never a sleep of the test's own.
# wait_until SECONDS WHAT COMMAND...: polls COMMAND every 0.1 s; after SECONDS
# calls the script's fail with "no WHAT within SECONDS s".
wait_until() {
  local limit=$1 what=$2; shift 2
  local end=$((SECONDS + limit))
  until "$@"; do
    ((SECONDS < end)) || fail "no $what within $limit s"
    sleep 0.1
  done
}
