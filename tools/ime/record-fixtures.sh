#!/usr/bin/env bash
# Records the input-method fixtures under tests/data/ime: each scenario is
# typed into zeq_ime_recorder in a fresh session (fresh Mozc state, so its
# learning cannot change later candidates) of each input method.
#
#   record-fixtures.sh --recorder PATH [--out DIR] [--im ibus|fcitx5|all]
#                      [--engine mozc|anthy|kkc|skk] [SCENARIO...]
#
# Default DIR: tests/data/ime of this checkout; default: both input methods,
# Mozc, and all of that engine's scenarios. Files are written as
# DIR/<im>-<scenario>.jsonl for Mozc, DIR/<im>-<engine>-<scenario>.jsonl
# for the others.
# Exit status: 0 when every recording passed its checks, else 1.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="$here/../../tests/data/ime"
recorder=""
ims=(ibus fcitx5)
engine=mozc
while [ $# -gt 0 ]; do
  case "$1" in
    --recorder) recorder="$(realpath "$2")"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    --engine) engine="$2"; shift 2 ;;
    --im) case "$2" in all) ims=(ibus fcitx5) ;; *) ims=("$2") ;; esac; shift 2 ;;
    -*) echo "record-fixtures: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ -x "$recorder" ] || { echo "record-fixtures: --recorder PATH to zeq_ime_recorder is required" >&2; exit 2; }

# name | keys (type.sh actions); the last action checks the outcome. Every
# engine gets the same kinds of sessions, in the keys that engine uses.
# Common to the conversion engines (Mozc, anthy, kkc): Right moves the focus
# to the next clause, F7 converts to katakana, Tab asks for predictions.
clause_engine_scenarios=(
  "later-clause|text:kanjinorenshuu key:space key:Right key:Return wait-preedit:"
  "katakana|text:tesuto key:F7 key:Return wait-preedit:"
  "prediction|text:renshu key:Tab key:Return wait-preedit:"
  "digits|text:3gatsunoyotei key:space key:Return wait-preedit:"
  "failure-then-typing|text:toriatsukai key:space text:d key:Escape wait-preedit:"
)
scenarios=()
case "$engine" in
  mozc) ;;
  anthy|kkc)
    scenarios=(
      "kanjinorenshuu|text:kanjinorenshuu key:space key:Return wait-preedit:"
      "three-clauses|text:watashinonamaehanakamuradesu key:space key:Return wait-preedit:"
      "kana-only|text:hiragana key:Return wait-text:ひらがな"
      "${clause_engine_scenarios[@]}"
    )
    ;;
  skk)
    # SKK converts one word at a time: an upper-case letter starts a word,
    # Space converts it, q turns a word into katakana, Q starts a word
    # holding digits, and kana typed outside a word are committed at once.
    scenarios=(
      "kanji|text:Kanji key:space key:Return wait-preedit:"
      "kanjinorenshuu|text:Kanji key:space text:no text:Renshuu key:space key:Return wait-preedit:"
      "okurigana|text:UtsukuShii key:Return wait-preedit:"
      "kana-only|text:hiragana wait-text:ひらがな"
      "katakana|text:Tesuto text:q wait-text:テスト"
      "digits|text:Q3gatsu key:space key:Return wait-preedit:"
      "prediction|text:Rensh key:Tab key:space key:Return wait-preedit:"
      "failure-then-typing|text:Hikidashi key:space text:d key:BackSpace wait-preedit:"
    )
    ;;
  *) echo "record-fixtures: --engine must be mozc, anthy, kkc or skk" >&2; exit 2 ;;
esac
[ "$engine" != mozc ] || scenarios=(
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
  "${clause_engine_scenarios[@]}"
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
    file="$im-$name"
    [ "$engine" = mozc ] || file="$im-$engine-$name"
    work="$tmp/$file"
    echo "== $im $engine $name: ${actions[*]}" >&2
    "$here/run-ime-session.sh" --im "$im" --engine "$engine" --workdir "$work" --timeout 120 -- \
      "$tmp/bin/record-scenario.sh" --recorder "$tmp/bin/$(basename "$recorder")" --log "$work/events.jsonl" -- "${actions[@]}" &
    session_pid=$!
    status=0
    wait "$session_pid" || status=$?
    session_pid=""
    if [ "$status" -eq 0 ]; then
      cp "$work/events.jsonl" "$out/$file.jsonl"
    else
      echo "record-fixtures: $im $name FAILED (session logs: $work/logs)" >&2
      [ -f "$work/events.jsonl" ] && cp "$work/events.jsonl" "$out/$file.failed.jsonl"
      failed=1
    fi
  done
done
exit "$failed"
