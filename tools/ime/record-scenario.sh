#!/usr/bin/env bash
# Runs zeq_ime_recorder, types ACTIONs into it with type.sh and stops it.
# Meant to run as COMMAND of run-ime-session.sh.
#
#   record-scenario.sh --recorder PATH --log FILE [--quit-after SECS] -- ACTION...
#
# ACTIONs are type.sh's (text:..., key:..., wait-text:..., wait-preedit:...).
# Exit status: type.sh's (1 when an expected event or text did not come), or
# the recorder's when it did not end cleanly.
set -euo pipefail

recorder=""
log=""
quit_after=120
while [ $# -gt 0 ]; do
  case "$1" in
    --recorder) recorder="$2"; shift 2 ;;
    --log) log="$2"; shift 2 ;;
    --quit-after) quit_after="$2"; shift 2 ;;
    --) shift; break ;;
    *) echo "record-scenario: unknown argument $1" >&2; exit 2 ;;
  esac
done
[ -x "$recorder" ] || { echo "record-scenario: no recorder at '$recorder'" >&2; exit 2; }
[ -n "$log" ] || { echo "record-scenario: --log FILE is required" >&2; exit 2; }
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

rm -f "$log"
"$recorder" --log "$log" --quit-after "$quit_after" &
rec_pid=$!
trap 'kill -TERM "$rec_pid" 2>/dev/null || true' EXIT

set +e
"$here/type.sh" --log "$log" "$@"
status=$?
kill -TERM "$rec_pid" 2>/dev/null
wait "$rec_pid"
rec_status=$?
set -e
trap - EXIT
if [ "$status" -eq 0 ] && [ "$rec_status" -ne 0 ]; then
  echo "record-scenario: the recorder exited with $rec_status" >&2
  status="$rec_status"
fi
exit "$status"
