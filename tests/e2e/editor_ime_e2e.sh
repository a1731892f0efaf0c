#!/usr/bin/env bash
# End-to-end: the real editor with a real Japanese input method.
#
#   editor_ime_e2e.sh --im ibus|fcitx5 --editor PATH_TO_zeqedit [--keep]
#
# --keep leaves the temporary folder (session logs, the saved file) in /tmp.
# Starts zeqedit on an empty CP932 file inside a fresh headless session
# (tools/ime/run-ime-session.sh: Xvfb, private bus, ibus or fcitx5 with Mozc,
# fresh HOME, run as `nobody` when started as root), types with xdotool
#
#   kanjinorenshuu Space Return   (Mozc: 感じの練習)
#   Return                        (a line break)
#   gakkounosensei Space Return   (Mozc: 学校の先生)
#   Return
#   hiragana Return               (kana only: ひらがな)
#
# saving after each of those five steps (File menu, Save, by its access keys
# Alt+F S: the editor has no shortcut key for Save), closes the editor with
# Esc and compares the saved file byte for byte with the expected CP932 text
#
#   `感`かん`じの`練習`れんしゅう` CR LF `学校`がっこう`の`先生`せんせい` CR LF ひらがな
#
# How it waits (every wait is a bounded poll; nothing waits blindly on an
# outcome):
#   - the editor's window: `xdotool search`, then its title must be exactly
#     the clean title for the file;
#   - keyboard focus: `xdotool windowfocus`, then `xdotool getwindowfocus`
#     until it names the window; under fcitx5 also until `fcitx5-remote -n`
#     reports mozc for the focused input context (fcitx5's Qt plugin creates
#     it asynchronously; keys sent earlier bypass the input method);
#   - after each step: the window title until it shows the modified prefix
#     (the confirmed text or the line break reached the document); Alt+F,
#     then the editor's File menu window until it is visible, S, then the
#     menu until it has closed, the file until it holds exactly the expected
#     bytes so far and the title until it is clean again;
#   - after Esc: the editor's process until it has exited (status 0).
# The only fixed delays are between the keys of one composition (see
# type_keys): nothing outside the input method shows a composition's
# progress, so those keys are paced, not awaited.
#
# Exit status: 0 when the file holds the expected bytes and every step was
# seen; 1 on a failure (the reason, both byte strings in hex and the
# session logs' tails are printed); 2 on bad usage; 77 when the session's
# programs are not installed (tools/ime/install-ime-deps.sh installs them).
set -euo pipefail

self="$(realpath "${BASH_SOURCE[0]}")"

# ---------------------------------------------------------------------------
# Inner part: runs inside the session as the session user.
#   editor_ime_e2e.sh --drive --editor BIN --doc FILE --expected DIR
# DIR holds step1 .. step5: the expected file bytes after each step.
# ---------------------------------------------------------------------------
drive() {
  local editor="" doc="" expected=""
  while [ $# -gt 0 ]; do
    case "$1" in
      --editor) editor="$2"; shift 2 ;;
      --doc) doc="$2"; shift 2 ;;
      --expected) expected="$2"; shift 2 ;;
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
    mozc_has_focus() {
      [ "$(fcitx5-remote 2>/dev/null)" != 0 ] && [ "$(fcitx5-remote -n 2>/dev/null)" = mozc ]
    }
    wait_until 15 "fcitx5 to give the editor a focused input context using mozc" mozc_has_focus
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
  # checkpoint NAME: the last keys changed the document; save and check the
  # file holds exactly the expected bytes of this step.
  checkpoint() {
    step=$((step + 1))
    wait_until 10 "step $step ($1): the modified title" title_is "$modified_prefix"
    save
    local want="$expected/step$step"
    local end=$(( $(now_ms) + 10000 ))
    until files_equal "$doc" "$want" && title_is "$clean_prefix"; do
      editor_alive || fail "the editor exited after saving step $step"
      if [ "$(now_ms)" -ge "$end" ]; then
        say "step $step ($1): the saved file is not as expected"
        say "expected bytes: $(od -An -tx1 -v "$want" | tr -s ' \n' ' ')"
        say "file bytes:     $(od -An -tx1 -v "$doc" | tr -s ' \n' ' ')"
        fail "step $step ($1): after saving, the file or the clean title did not come within 10s"
      fi
      sleep 0.05
    done
    say "step $step ($1): saved, $(stat -c %s "$doc") bytes as expected"
  }

  type_keys kanjinorenshuu; key space Return
  checkpoint "kanjinorenshuu Space Return"
  key Return
  checkpoint "Return"
  type_keys gakkounosensei; key space Return
  checkpoint "gakkounosensei Space Return"
  key Return
  checkpoint "Return"
  type_keys hiragana; key Return
  checkpoint "hiragana Return"

  # Esc closes the clean window; the editor must end by itself.
  key Escape
  local end=$(( $(now_ms) + 10000 ))
  while editor_alive; do
    [ "$(now_ms)" -lt "$end" ] || fail "the editor did not exit within 10s after Esc"
    sleep 0.05
  done
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
editor=""
keep=0
while [ $# -gt 0 ]; do
  case "$1" in
    --im) im="${2:-}"; shift 2 ;;
    --editor) editor="${2:-}"; shift 2 ;;
    --keep) keep=1; shift ;;
    -h|--help) usage ;;
    *) echo "editor_ime_e2e: unknown argument: $1" >&2; usage ;;
  esac
done
case "$im" in ibus|fcitx5) ;; *) echo "editor_ime_e2e: --im must be ibus or fcitx5" >&2; exit 2 ;; esac
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
if [ "$im" = ibus ] && [ ! -x /usr/lib/ibus-mozc/ibus-engine-mozc ]; then missing+=(ibus-mozc); fi
if [ "$im" = fcitx5 ] && ! compgen -G '/usr/lib*/fcitx5/*mozc*.so' >/dev/null \
  && ! compgen -G '/usr/lib/*/fcitx5/*mozc*.so' >/dev/null; then
  missing+=(fcitx5-mozc)
fi
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

# Expected bytes after each step, from UTF-8 text through iconv.
to_cp932() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
line1='`感`かん`じの`練習`れんしゅう`'
line2='`学校`がっこう`の`先生`せんせい`'
line3='ひらがな'
crlf=$'\r\n'
texts=(
  "$line1"
  "$line1$crlf"
  "$line1$crlf$line2"
  "$line1$crlf$line2$crlf"
  "$line1$crlf$line2$crlf$line3"
)
for i in "${!texts[@]}"; do
  to_cp932 "${texts[i]}" > "$tmp/expected/step$((i + 1))" \
    || { echo "editor_ime_e2e: iconv cannot make CP932" >&2; exit 1; }
done
cp "$tmp/expected/step5" "$tmp/expected.bin"
chmod -R a+rX "$tmp/bin" "$tmp/expected" "$tmp/expected.bin"

# The document: an empty file in a folder the session user can write (the
# editor saves by writing a new file and renaming it over the old one).
work="$tmp/session"
doc="$work/doc/ime-e2e.txt"

start_s=$SECONDS
status=0
# The session creates $work and hands it to the session user; the document
# folder is made by the command itself (as that user) before the editor.
bash "$session" --im "$im" --workdir "$work" --timeout 100 --ready-timeout 30 -- \
  /bin/sh -c 'mkdir -p "$(dirname "$1")" && : > "$1" && shift && exec "$@"' sh "$doc" \
  bash "$tmp/bin/editor_ime_e2e.sh" --drive --editor "$tmp/bin/zeqedit" --doc "$doc" --expected "$tmp/expected" &
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
  echo "editor_ime_e2e: $im: FAILED after ${elapsed}s: $reason" >&2
  exit 1
fi
echo "editor_ime_e2e: $im: PASSED in ${elapsed}s ($(stat -c %s "$doc") bytes, as expected)" >&2
exit 0
