#!/usr/bin/env bash
# Records the input-method fixtures under tests/data/ime: each scenario is
# typed into zeq_ime_recorder in a fresh session (fresh Mozc state, so its
# learning cannot change later candidates) of each input method.
#
#   record-fixtures.sh --recorder PATH [--out DIR] [--im ibus|fcitx5|all] [SCENARIO...]
#
# Default DIR: tests/data/ime of this checkout; default: all input methods
# and all scenarios. Files are written as DIR/<im>-<scenario>.jsonl.
# Exit status: 0 when every recording passed its checks, else 1.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="$here/../../tests/data/ime"
recorder=""
ims=(ibus fcitx5)
while [ $# -gt 0 ]; do
  case "$1" in
    --recorder) recorder="$(realpath "$2")"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    --im) case "$2" in all) ims=(ibus fcitx5) ;; *) ims=("$2") ;; esac; shift 2 ;;
    -*) echo "record-fixtures: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ -x "$recorder" ] || { echo "record-fixtures: --recorder PATH to zeq_ime_recorder is required" >&2; exit 2; }

# name | keys (type.sh actions); the last action checks the outcome.
scenarios=(
  "kanjinorenshuu|text:kanjinorenshuu key:space key:Return wait-text:感じの練習"
  "gakkounosensei|text:gakkounosensei key:space key:Return wait-text:学校の先生"
  "second-candidate|text:kanjinorenshuu key:space key:space key:Return wait-preedit:"
  "shrink-clause|text:kanjinorenshuu key:space key:shift+Left key:Return wait-preedit:"
  "kana-only|text:hiragana key:Return wait-text:ひらがな"
  "escape-composing|text:kanji key:Escape key:Escape wait-text:"
  "escape-converted|text:kanji key:space key:Escape key:Return wait-text:かんじ"
  "type-during-conversion|text:kanji key:space text:desu key:Return wait-preedit:"
  "trailing-n-space|text:kan key:space key:Return wait-preedit:"
  "trailing-n-return|text:kan key:Return wait-preedit:"
  "double-n-space|text:kann key:space key:Return wait-preedit:"
)

wanted=("$@")
tmp="$(mktemp -d /tmp/zeq-ime-fixtures.XXXXXX)"
chmod 0755 "$tmp"
session_pid=""
cleanup() {
  # The running session tears itself down on TERM; wait for it (bounded by
  # its own teardown) before removing its folder.
  if [ -n "$session_pid" ]; then
    kill -TERM "$session_pid" 2>/dev/null
    wait "$session_pid" 2>/dev/null || true
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
mkdir -p "$out"
# The session user may not reach this checkout or the build tree: run copies.
mkdir "$tmp/bin"
cp "$recorder" "$here/record-scenario.sh" "$here/type.sh" "$tmp/bin/"
chmod -R a+rX "$tmp/bin"

failed=0
for im in "${ims[@]}"; do
  for entry in "${scenarios[@]}"; do
    name="${entry%%|*}"
    read -r -a actions <<< "${entry#*|}"
    if [ ${#wanted[@]} -gt 0 ] && ! printf '%s\n' "${wanted[@]}" | grep -qxF "$name"; then
      continue
    fi
    work="$tmp/$im-$name"
    echo "== $im $name: ${actions[*]}" >&2
    "$here/run-ime-session.sh" --im "$im" --workdir "$work" --timeout 120 -- \
      "$tmp/bin/record-scenario.sh" --recorder "$tmp/bin/$(basename "$recorder")" --log "$work/events.jsonl" -- "${actions[@]}" &
    session_pid=$!
    status=0
    wait "$session_pid" || status=$?
    session_pid=""
    if [ "$status" -eq 0 ]; then
      cp "$work/events.jsonl" "$out/$im-$name.jsonl"
    else
      echo "record-fixtures: $im $name FAILED (session logs: $work/logs)" >&2
      [ -f "$work/events.jsonl" ] && cp "$work/events.jsonl" "$out/$im-$name.failed.jsonl"
      failed=1
    fi
  done
done
exit "$failed"
