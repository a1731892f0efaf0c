#!/usr/bin/env bash
# Types into the focused window with xdotool, one key at a time, and after
# each key waits until the recorder (zeq_ime_recorder) has logged what that
# key caused. Run inside run-ime-session.sh (DISPLAY must be set).
#
#   type.sh --log FILE [--timeout SECS] [--settle MS] ACTION...
#
# Actions:
#   text:STRING        type STRING one character at a time (xdotool type)
#   key:KEYS           one xdotool key chord: space, Return, Escape, shift+Left
#   wait-text:STRING   wait until the text box's plain text is STRING
#   wait-preedit:STRING  wait until the last input-method event's preedit is
#                      STRING (empty: no composition left)
#   wait-ready         wait for the recorder's "Ready" line and, under
#                      fcitx5 (ZEQ_IME=fcitx5), for a focused input context
#                      using mozc (done anyway before the first key)
#
# After a key, the wait ends once the log has a new KeyPress or InputMethod
# line and then stays unchanged for --settle milliseconds (default 300): an
# input method may answer one key with several events. Every wait is bounded
# by --timeout seconds (default 10); on a timeout this prints the log's tail
# and exits 1. FILE must be the log of the recorder now running: remove an
# old one before starting the recorder (record-scenario.sh does), or its
# "Ready" line lets the first key go before the new window is up.
# STRING must not hold '"' or '\' (it is matched against the recorder's JSON
# as is).
set -euo pipefail

log=""
timeout_s=10
settle_ms=300
while [ $# -gt 0 ]; do
  case "$1" in
    --log) log="$2"; shift 2 ;;
    --timeout) timeout_s="$2"; shift 2 ;;
    --settle) settle_ms="$2"; shift 2 ;;
    --) shift; break ;;
    -*) echo "type.sh: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ -n "$log" ] || { echo "type.sh: --log FILE is required" >&2; exit 2; }
[ -n "${DISPLAY:-}" ] || { echo "type.sh: DISPLAY is not set" >&2; exit 2; }

now_ms() { date +%s%3N; }

fail() {
  echo "type.sh: $*" >&2
  echo "--- last lines of $log:" >&2
  tail -n 5 "$log" >&2 2>/dev/null || true
  exit 1
}

event_count() { grep -cE '"type":"(KeyPress|InputMethod)"' "$log" 2>/dev/null || true; }

wait_for() {
  # wait_for WHAT CMD... : polls CMD every 20 ms within the timeout.
  local what="$1"; shift
  local end=$(( $(now_ms) + timeout_s * 1000 ))
  until "$@"; do
    [ "$(now_ms)" -lt "$end" ] || fail "timed out waiting for $what"
    sleep 0.02
  done
}

is_ready() { grep -q '"type":"Ready"' "$log" 2>/dev/null; }
# fcitx5's Qt plugin creates its input context asynchronously, after the
# window has focus: keys sent before that reach the text box directly. Ready
# there means fcitx5 also has a focused input context using mozc. (Qt's ibus
# plugin creates its input context before the window shows, and its focus-in
# and key calls share one ordered connection, so the recorder's Ready is
# enough there.)
im_has_focus() {
  [ "${ZEQ_IME:-}" = fcitx5 ] || return 0
  [ "$(fcitx5-remote 2>/dev/null)" != 0 ] && [ "$(fcitx5-remote -n 2>/dev/null)" = "${ZEQ_IME_ENGINE:-mozc}" ]
}
ready_done=0
ensure_ready() {
  [ "$ready_done" -eq 0 ] || return 0
  wait_for "the recorder to be ready" is_ready
  wait_for "$ZEQ_IME to give the recorder's window an input context" im_has_focus
  ready_done=1
}

send_and_settle() {
  # send_and_settle XDOTOOL-ARGS... : sends one key, waits for its events.
  ensure_ready
  local before after size last_size last_change end
  before="$(event_count)"
  xdotool "$@"
  end=$(( $(now_ms) + timeout_s * 1000 ))
  while :; do
    after="$(event_count)"
    [ "$after" -gt "$before" ] && break
    [ "$(now_ms)" -lt "$end" ] || fail "no event after: xdotool $*"
    sleep 0.02
  done
  last_size="$(stat -c %s "$log")"
  last_change="$(now_ms)"
  while :; do
    size="$(stat -c %s "$log")"
    if [ "$size" != "$last_size" ]; then
      last_size="$size"
      last_change="$(now_ms)"
    elif [ $(( $(now_ms) - last_change )) -ge "$settle_ms" ]; then
      break
    fi
    [ "$(now_ms)" -lt "$end" ] || fail "events kept coming after: xdotool $*"
    sleep 0.02
  done
}

last_text_is() { tail -n 1 "$log" | grep -qF "\"text\":\"$1\""; }
last_preedit_is() {
  grep '"type":"InputMethod"' "$log" | tail -n 1 | grep -qF "\"preedit\":\"$1\""
}

for action in "$@"; do
  case "$action" in
    text:*)
      s="${action#text:}"
      for ((i = 0; i < ${#s}; i++)); do
        send_and_settle type --delay 0 -- "${s:i:1}"
      done
      ;;
    key:*) send_and_settle key --delay 0 -- "${action#key:}" ;;
    wait-text:*) ensure_ready; wait_for "text \"${action#wait-text:}\"" last_text_is "${action#wait-text:}" ;;
    wait-preedit:*) ensure_ready; wait_for "preedit \"${action#wait-preedit:}\"" last_preedit_is "${action#wait-preedit:}" ;;
    wait-ready) ensure_ready ;;
    *) echo "type.sh: unknown action: $action" >&2; exit 2 ;;
  esac
done
