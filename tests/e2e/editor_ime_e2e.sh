#!/usr/bin/env bash
# End-to-end: the real editor with a real Japanese input method.
#
#   editor_ime_e2e.sh --im ibus|fcitx5 [--engine mozc|anthy|kkc|skk] --editor PATH_TO_zeqedit [--keep]
#
# --keep leaves the temporary folder (session logs, the saved file) in /tmp.
# Starts zeqedit on an empty CP932 file inside a fresh headless session
# (tools/ime/run-ime-session.sh: Xvfb, private bus, ibus or fcitx5 with the
# engine, fresh HOME, run as `nobody` when started as root) and types the
# engine's steps with xdotool (see steps_for below). A step either changes
# the document, and is checked by saving (File menu, Save, by its access
# keys Alt+F S) and comparing the file byte for byte with the expected
# CP932 text so far; or is a conversion the editor cannot place a reading
# on: its message box must show (a real nested event loop, with the input
# method still sending events), is closed with Return, and the document
# must be exactly as before, unmodified. Esc closes the editor at the end.
#
# How it waits (every wait is a bounded poll; nothing waits blindly on an
# outcome):
#   - the editor's window: `xdotool search`, then its title must be exactly
#     the clean title for the file;
#   - keyboard focus: `xdotool windowfocus`, then `xdotool getwindowfocus`
#     until it names the window; under fcitx5 also until `fcitx5-remote -n`
#     reports the engine for the focused input context (fcitx5's Qt plugin
#     creates it asynchronously; keys sent earlier bypass the input method);
#   - after a changing step: the window title until it shows the modified
#     prefix; then, until the file holds exactly the expected bytes and the
#     title is clean: Alt+F, the File menu window until it is visible, S,
#     the menu until it has closed, again whenever the title shows a change
#     that came after the save (an engine that commits in pieces);
#   - after a failing step: a new window of the editor (the message box),
#     Return, the message box until it has gone, the focus back, the title
#     still clean and the file unchanged;
#   - after Esc: the editor's process until it has exited (status 0); a
#     second Esc when the first only cancelled a composition.
# The only fixed delays are between the keys of one composition (see
# type_keys): nothing outside the input method shows a composition's
# progress, so those keys are paced, not awaited.
#
# Exit status: 0 when the file holds the expected bytes and every step was
# seen; 1 on a failure (the reason, both byte strings in hex and the
# session logs' tails are printed); 2 on bad usage; 77 when the session's
# programs or the engine's packages are not installed
# (tools/ime/install-ime-deps.sh installs them).
set -euo pipefail

self="$(realpath "${BASH_SOURCE[0]}")"

# ---------------------------------------------------------------------------
# Inner part: runs inside the session as the session user.
#   editor_ime_e2e.sh --drive --editor BIN --doc FILE --expected DIR
# DIR holds step1 .. stepN: the expected file bytes after each changing
# step; FILE (--steps) one step a line: change|fail, a tab, the keys.
# ---------------------------------------------------------------------------
drive() {
  local editor="" doc="" expected="" steps=""
  while [ $# -gt 0 ]; do
    case "$1" in
      --editor) editor="$2"; shift 2 ;;
      --doc) doc="$2"; shift 2 ;;
      --expected) expected="$2"; shift 2 ;;
      --steps) steps="$2"; shift 2 ;;
      *) echo "drive: unknown argument $1" >&2; return 2 ;;
    esac
  done
  local logs="$ZEQ_IME_WORKDIR/logs" step=0
  # Global: the EXIT trap (stop_editor) and fail read them after drive returns.
  editor_pid=""
  wid=""

  say() { echo "e2e[$ZEQ_IME] $*" >&2; }
  now_ms() { date +%s%3N; }
  fail() {
    say "FAILED: $*"
    if [ -n "$wid" ]; then
      say "window title now: $(xdotool getwindowname "$wid" 2>/dev/null || echo '(window gone)')"
    fi
    exit 1
  }
  editor_alive() { [ -n "$editor_pid" ] && kill -0 "$editor_pid" 2>/dev/null; }
  # wait_until SECS WHAT CMD... : runs CMD every 50 ms until it succeeds;
  # fails once SECS have passed or as soon as the editor has died.
  wait_until() {
    local secs="$1" what="$2"; shift 2
    local end=$(( $(now_ms) + secs * 1000 ))
    until "$@"; do
      editor_alive || fail "the editor exited while waiting for $what (log: $logs/zeqedit.log)"
      [ "$(now_ms)" -lt "$end" ] || fail "timed out after ${secs}s waiting for $what"
      sleep 0.05
    done
  }
  stop_editor() {
    if editor_alive; then
      kill -TERM "$editor_pid" 2>/dev/null || true
      local i
      for ((i = 0; i < 50; i++)); do editor_alive || break; sleep 0.1; done
      editor_alive && kill -KILL "$editor_pid" 2>/dev/null
      wait "$editor_pid" 2>/dev/null || true
    fi
  }
  trap stop_editor EXIT

  local settings="${XDG_CONFIG_HOME:?}/ZeqSoft/registry.reg"
  [ ! -e "$settings" ] || fail "the session HOME already has editor settings: $settings"

  local clean_prefix="Zeq Text Editor〔－－〕－ "
  local modified_prefix="Zeq Text Editor〔更新〕－ "
  # A load shows the path in upper case, a save the path it wrote: the name
  # part is compared without regard to case.
  title_is() {
    local title
    title="$(xdotool getwindowname "$wid" 2>/dev/null)" || return 1
    case "$title" in "$1"*) ;; *) return 1 ;; esac
    [ "${title#"$1"}" = "${doc^^}" ] || [ "${title#"$1"}" = "$doc" ]
  }

  # The session gives QT_QPA_PLATFORM=xcb already; ctest's offscreen must
  # never reach the editor, whatever the caller had.
  QT_QPA_PLATFORM=xcb "$editor" "$doc" > "$logs/zeqedit.log" 2>&1 &
  editor_pid=$!
  say "editor started (pid $editor_pid) on $doc"

  find_window() {
    wid="$(xdotool search --onlyvisible --pid "$editor_pid" --name '^Zeq Text Editor' 2>/dev/null | head -n 1)"
    [ -n "$wid" ]
  }
  wait_until 20 "the editor's window" find_window
  # Just loaded: exactly the clean title with the path in upper case.
  title_equals() { [ "$(xdotool getwindowname "$wid" 2>/dev/null)" = "$1" ]; }
  wait_until 10 "the title \"$clean_prefix${doc^^}\"" title_equals "$clean_prefix${doc^^}"

  # No window manager: give the window the keyboard focus ourselves.
  has_focus() {
    xdotool windowfocus "$wid" >/dev/null 2>&1 || true
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$wid" ]
  }
  wait_until 10 "keyboard focus on the editor's window" has_focus
  if [ "$ZEQ_IME" = fcitx5 ]; then
    engine_has_focus() {
      [ "$(fcitx5-remote 2>/dev/null)" != 0 ] && [ "$(fcitx5-remote -n 2>/dev/null)" = "$ZEQ_IME_ENGINE" ]
    }
    wait_until 15 "fcitx5 to give the editor a focused input context using $ZEQ_IME_ENGINE" engine_has_focus
  fi
  say "window $wid ready and focused"

  # type_keys WORD: one key per character. Pacing: a composition's progress
  # shows nowhere outside the input method (the document only changes on
  # confirmation), so these keys are paced at 40 ms, about a fast typist,
  # rather than awaited. They all go into the input method's own ordered
  # queue; the checks after the confirming Return catch any key lost or
  # reordered there.
  type_keys() { xdotool type --delay 40 -- "$1"; }
  key() { xdotool key --delay 40 -- "$@"; }

  # The editor's own visible windows (not, say, Mozc's candidate window).
  visible_windows() { xdotool search --onlyvisible --pid "$editor_pid" 2>/dev/null | sort; }
  # save: File menu, Save, through the menu's access keys (Alt+F, S); the
  # menu has no shortcut key for Save. The S goes only once the menu is
  # open: sent earlier it would reach the edit area (and the input method).
  save() {
    local before menu=""
    before="$(visible_windows)"
    key alt+f
    menu_open() {
      menu="$(comm -13 <(echo "$before") <(visible_windows) | head -n 1)"
      [ -n "$menu" ]
    }
    wait_until 10 "the File menu to open after Alt+F" menu_open
    key s
    menu_closed() { ! visible_windows | grep -qx "$menu"; }
    wait_until 10 "the File menu to close after S" menu_closed
  }

  files_equal() { cmp -s "$1" "$2"; }
  # checkpoint NAME: the last keys changed the document; save until the
  # file holds exactly the expected bytes of this step.
  local saved=0
  checkpoint() {
    saved=$((saved + 1))
    wait_until 10 "step $step ($1): the modified title" title_is "$modified_prefix"
    local want="$expected/step$saved"
    local end=$(( $(now_ms) + 10000 ))
    until files_equal "$doc" "$want" && title_is "$clean_prefix"; do
      editor_alive || fail "the editor exited after saving step $step"
      if [ "$(now_ms)" -ge "$end" ]; then
        say "step $step ($1): the saved file is not as expected"
        say "expected bytes: $(od -An -tx1 -v "$want" | tr -s ' \n' ' ')"
        say "file bytes:     $(od -An -tx1 -v "$doc" | tr -s ' \n' ' ')"
        fail "step $step ($1): after saving, the file or the clean title did not come within 10s"
      fi
      # Some engines commit in pieces: a change after the save is saved too.
      if title_is "$modified_prefix"; then save; fi
      sleep 0.05
    done
    say "step $step ($1): saved, $(stat -c %s "$doc") bytes as expected"
  }

  # refused NAME: the last keys confirmed a conversion the editor cannot
  # annotate: its message box is open inside the capture. Close it; the
  # document must not have changed.
  refused() {
    local before_file="$ZEQ_IME_WORKDIR/before-step$step" msg=""
    message_open() {
      msg="$(comm -13 <(echo "$windows_before") <(visible_windows) | head -n 1)"
      [ -n "$msg" ]
    }
    wait_until 10 "step $step ($1): the message box" message_open
    say "step $step ($1): message box $msg ($(xdotool getwindowname "$msg" 2>/dev/null))"
    xdotool windowfocus "$msg" >/dev/null 2>&1 || true
    key Return
    message_closed() { ! visible_windows | grep -qx "$msg"; }
    wait_until 10 "step $step ($1): the message box to close after Return" message_closed
    wait_until 10 "keyboard focus back on the editor's window" has_focus
    files_equal "$doc" "$before_file" || fail "step $step ($1): the file changed"
    title_is "$clean_prefix" || fail "step $step ($1): the document changed after the message"
    say "step $step ($1): refused with a message, the document unchanged"
  }

  local kind keys action
  while IFS=$'\t' read -r kind keys; do
    [ -n "$kind" ] || continue
    step=$((step + 1))
    cp "$doc" "$ZEQ_IME_WORKDIR/before-step$step"
    windows_before="$(visible_windows)"
    for action in $keys; do
      case "$action" in
        t:*) type_keys "${action#t:}" ;;
        k:*) key "${action#k:}" ;;
      esac
    done
    case "$kind" in
      change) checkpoint "$keys" ;;
      fail) refused "$keys" ;;
    esac
  done < "$steps"

  # Esc closes the clean window; the editor must end by itself. A first
  # Esc may only cancel what the last step left composing.
  local end escapes=0
  while editor_alive && [ "$escapes" -lt 2 ]; do
    key Escape
    escapes=$((escapes + 1))
    end=$(( $(now_ms) + 5000 ))
    while editor_alive && [ "$(now_ms)" -lt "$end" ]; do sleep 0.05; done
  done
  editor_alive && fail "the editor did not exit after Esc"
  local status=0
  wait "$editor_pid" || status=$?
  editor_pid=""
  [ "$status" -eq 0 ] || fail "the editor exited with status $status after Esc"
  say "editor closed with Esc (status 0)"
}

if [ "${1:-}" = --drive ]; then
  shift
  drive "$@"
  exit 0
fi

# ---------------------------------------------------------------------------
# Outer part: prepares the files, runs the session, checks the result.
# ---------------------------------------------------------------------------
usage() { sed -n '2,/^set -euo/p' "$self" | sed '$d; s/^# \{0,1\}//' >&2; exit 2; }
im=""
engine=mozc
editor=""
keep=0
while [ $# -gt 0 ]; do
  case "$1" in
    --im) im="${2:-}"; shift 2 ;;
    --engine) engine="${2:-}"; shift 2 ;;
    --editor) editor="${2:-}"; shift 2 ;;
    --keep) keep=1; shift ;;
    -h|--help) usage ;;
    *) echo "editor_ime_e2e: unknown argument: $1" >&2; usage ;;
  esac
done
case "$im" in ibus|fcitx5) ;; *) echo "editor_ime_e2e: --im must be ibus or fcitx5" >&2; exit 2 ;; esac
case "$engine" in mozc|anthy|kkc|skk) ;; *) echo "editor_ime_e2e: --engine must be mozc, anthy, kkc or skk" >&2; exit 2 ;; esac
[ -n "$editor" ] && [ -f "$editor" ] && [ -x "$editor" ] \
  || { echo "editor_ime_e2e: --editor must name the zeqedit program (got '$editor')" >&2; exit 2; }

tools="$(cd "$(dirname "$self")/../../tools/ime" && pwd)"
session="$tools/run-ime-session.sh"
[ -f "$session" ] || { echo "editor_ime_e2e: $session is missing" >&2; exit 1; }

# The session's programs: without them this test cannot run at all.
missing=()
need=(Xvfb xdotool dbus-daemon dbus-send setpriv timeout iconv cmp od)
if [ "$im" = ibus ]; then need+=(ibus-daemon ibus); else need+=(fcitx5 fcitx5-remote); fi
for tool in "${need[@]}"; do command -v "$tool" >/dev/null || missing+=("$tool"); done
# The engine's own files, by package.
declare -A ibus_engine_file=(
  [mozc]=/usr/lib/ibus-mozc/ibus-engine-mozc [anthy]=/usr/share/ibus-anthy/engine/main.py
  [kkc]=/usr/libexec/ibus-engine-kkc [skk]=/usr/libexec/ibus-engine-skk
)
if [ "$im" = ibus ] && [ ! -e "${ibus_engine_file[$engine]}" ]; then missing+=("ibus-$engine"); fi
if [ "$im" = fcitx5 ] && ! compgen -G "/usr/lib/*/fcitx5/*$engine.so" >/dev/null; then missing+=("fcitx5-$engine"); fi
if [ "$engine" = skk ] && [ ! -e /usr/share/skk/SKK-JISYO.L ]; then missing+=(skkdic); fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "editor_ime_e2e: SKIPPED, not installed: ${missing[*]} (run tools/ime/install-ime-deps.sh)" >&2
  exit 77
fi

# ctest sets QT_QPA_PLATFORM=offscreen; the session starts from a clean
# environment anyway, and the editor is started with xcb explicitly.
unset QT_QPA_PLATFORM

tmp="$(mktemp -d /tmp/zeq-e2e-ime.XXXXXX)"
chmod 0755 "$tmp"
session_pid=""
cleanup() {
  local status=$?
  trap - EXIT INT TERM HUP
  if [ -n "$session_pid" ]; then
    # The session ends its command and everything it started on TERM.
    kill -TERM "$session_pid" 2>/dev/null
    wait "$session_pid" 2>/dev/null || true
  fi
  if [ "$keep" -eq 1 ]; then
    echo "editor_ime_e2e: kept $tmp" >&2
  else
    rm -rf "$tmp"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# The session user may not reach the build tree or this checkout (CI builds
# under /root): it runs copies. zeqedit needs only system libraries.
mkdir "$tmp/bin" "$tmp/expected"
cp "$editor" "$tmp/bin/zeqedit"
cp "$self" "$tmp/bin/editor_ime_e2e.sh"

# The steps of each engine: change (the document gets the text of the
# next expected line) or fail (a conversion the editor cannot annotate:
# kana between kanji in one clause, whose reading could be split in two
# ways; the second time with a key typed on before the message shows).
crlf=$'\r\n'
case "$engine" in
  mozc|anthy|kkc)
    case "$engine" in
      mozc) first='`感`かん`じの`練習`れんしゅう`'; refuse=toriatsukai ;;
      anthy) first='`感`かん`じの`練習`れんしゅう`'; refuse=sukikirai ;;
      kkc) first='`漢字`かんじ`の`練習`れんしゅう`'; refuse=sukikirai ;;
    esac
    steps=(
      "change	t:kanjinorenshuu k:space k:Return"
      "change	k:Return"
      "change	t:watashinonamaehanakamuradesu k:space k:Return"
      "change	k:Return"
      "change	t:hiragana k:Return"
      "fail	t:$refuse k:space k:Return"
      "fail	t:$refuse k:space t:d"
    )
    adds=("$first" "$crlf" '`私`わたし`の`名前`なまえ`は`中村`なかむら`です' "$crlf" 'ひらがな')
    ;;
  skk)
    # SKK lets Return through after a commit: it also breaks the line.
    steps=(
      "change	t:Kanji k:space t:no"
      "change	t:Renshuu k:space k:Return"
      "change	t:UtsukuShii k:Return"
      "change	t:hiragana"
      "fail	t:Hikidashi k:space t:d"
      "fail	t:Sukikirai k:space t:k"
    )
    adds=('`漢字`かんじ`の' "\`練習\`れんしゅう\`$crlf" "\`美\`うつく\`しい$crlf" 'ひらがな')
    ;;
esac
[ "$engine" != mozc ] || steps[2]="change	t:gakkounosensei k:space k:Return"
[ "$engine" != mozc ] || adds[2]='`学校`がっこう`の`先生`せんせい`'
printf '%s\n' "${steps[@]}" > "$tmp/bin/steps"

# Expected bytes after each changing step, from UTF-8 text through iconv.
to_cp932() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
text=""
for i in "${!adds[@]}"; do
  text="$text${adds[i]}"
  to_cp932 "$text" > "$tmp/expected/step$((i + 1))" \
    || { echo "editor_ime_e2e: iconv cannot make CP932" >&2; exit 1; }
done
to_cp932 "$text" > "$tmp/expected.bin"
chmod -R a+rX "$tmp/bin" "$tmp/expected" "$tmp/expected.bin"

# The document: an empty file in a folder the session user can write (the
# editor saves by writing a new file and renaming it over the old one).
work="$tmp/session"
doc="$work/doc/ime-e2e.txt"

start_s=$SECONDS
status=0
# The session creates $work and hands it to the session user; the document
# folder is made by the command itself (as that user) before the editor.
bash "$session" --im "$im" --engine "$engine" --workdir "$work" --timeout 100 --ready-timeout 30 -- \
  /bin/sh -c 'mkdir -p "$(dirname "$1")" && : > "$1" && shift && exec "$@"' sh "$doc" \
  bash "$tmp/bin/editor_ime_e2e.sh" --drive --editor "$tmp/bin/zeqedit" --doc "$doc" --expected "$tmp/expected" \
  --steps "$tmp/bin/steps" &
session_pid=$!
wait "$session_pid" || status=$?
session_pid=""
elapsed=$((SECONDS - start_s))

show_logs() {
  local f
  for f in "$work/logs/zeqedit.log" "$work"/logs/*.log; do
    [ -s "$f" ] || continue
    case " ${shown:-} " in *" $f "*) continue ;; esac
    shown="${shown:-} $f"
    echo "--- last lines of $f:" >&2
    tail -n 20 "$f" >&2
  done
  [ "$im" != fcitx5 ] || echo "(fcitx5 prints a backtrace for the TERM that ends it at teardown: not a crash)" >&2
}
hex() { od -An -tx1 -v "$1" | tr -s ' \n' ' '; }

reason=""
case "$status" in
  0) ;;
  124) reason="the session's command timed out" ;;
  125) reason="the input-method session could not be set up" ;;
  *) reason="the typing run failed (status $status)" ;;
esac
if [ ! -f "$doc" ]; then
  reason="${reason:+$reason; }no saved file at $doc"
elif ! cmp -s "$doc" "$tmp/expected.bin"; then
  reason="${reason:+$reason; }the saved file differs from the expected CP932 bytes"
  echo "expected ($(stat -c %s "$tmp/expected.bin") bytes):$(hex "$tmp/expected.bin")" >&2
  echo "saved    ($(stat -c %s "$doc") bytes):$(hex "$doc")" >&2
  echo "$(cmp "$tmp/expected.bin" "$doc" 2>&1 | sed 's|^.*differ|first difference|')" >&2
  as_text() { iconv -f CP932 -t UTF-8 "$1" 2>&1 | sed 's/\r$/\\r/' | sed ':a;N;$!ba;s/\n/\\n/g'; }
  echo "expected as text: $(as_text "$tmp/expected.bin")" >&2
  echo "saved as text:    $(as_text "$doc")" >&2
fi
if [ -n "$reason" ]; then
  show_logs
  echo "editor_ime_e2e: $im $engine: FAILED after ${elapsed}s: $reason" >&2
  exit 1
fi
echo "editor_ime_e2e: $im $engine: PASSED in ${elapsed}s ($(stat -c %s "$doc") bytes, as expected)" >&2
exit 0
