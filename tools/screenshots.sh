#!/usr/bin/env bash
# Takes the README's screenshots from a built editor on a virtual display.
#
#   tools/screenshots.sh PATH/TO/zeqedit [OUTPUT_DIR]
#
# Builds nothing: give it the zeqedit of a build tree. Starts Xvfb, runs the
# editor on examples/sample.txt with a fresh, throw-away settings folder
# (XDG_CONFIG_HOME), and writes into OUTPUT_DIR (default: docs/ of this
# checkout), each cropped to its window:
#   main-window.png    the main window with the sample document
#   display-image.png  the display image (Ctrl+T) with the faulty line
#   ruby-preview.png   the display image in ruby mode (ﾌｧｲﾙ → ルビ表示)
#   settings.png       the settings dialog (ｵﾌﾟｼｮﾝ → 設定); when the dialog
#                      does not open, the open ｵﾌﾟｼｮﾝ menu, with a warning
# Installs Xvfb, xdotool, ImageMagick and the IPA fonts when they are missing
# (as root, or with sudo). Every wait polls a condition and is bounded.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/.." && pwd)"

die() { echo "screenshots: $*" >&2; exit 1; }

[ $# -ge 1 ] || die "usage: tools/screenshots.sh PATH/TO/zeqedit [OUTPUT_DIR]"
zeqedit="$(realpath "$1")"
[ -x "$zeqedit" ] || die "not an executable: $1"
out="$(realpath -m "${2:-$repo/docs}")"
mkdir -p "$out"
sample="$repo/examples/sample.txt"
[ -f "$sample" ] || die "missing $sample"

# --- what the run needs, installed only when missing ------------------------
missing=()
need_command() { command -v "$1" >/dev/null 2>&1 || missing+=("$2"); }
need_command Xvfb xvfb
need_command xdotool xdotool
need_command import imagemagick
need_command compare imagemagick
need_command xwininfo x11-utils
for font in fonts-ipafont-gothic fonts-ipafont-mincho; do
  dpkg-query -W -f='${Status}' "$font" 2>/dev/null | grep -q 'install ok installed' || missing+=("$font")
done
if [ ${#missing[@]} -gt 0 ]; then
  mapfile -t missing < <(printf '%s\n' "${missing[@]}" | sort -u)
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# --- a private display and settings folder ----------------------------------
work="$(mktemp -d)"
xvfb_pid=""
editor_pid=""
cleanup() {
  [ -z "$editor_pid" ] || kill "$editor_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  [ -z "$editor_pid" ] || wait "$editor_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || wait "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Polls COMMAND every 0.1 s until it succeeds, for at most SECONDS.
wait_for() {
  local seconds="$1"; shift
  local tries=$((seconds * 10))
  while ! "$@" >/dev/null 2>&1; do
    tries=$((tries - 1))
    [ "$tries" -gt 0 ] || return 1
    sleep 0.1
  done
}

# Xvfb picks a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for 20 test -s "$work/display" || die "Xvfb did not start (see $work/xvfb.log)"
export DISPLAY=":$(head -n1 "$work/display")"

mkdir -p "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
export QT_QPA_PLATFORM=xcb LANG=C.UTF-8 LC_ALL=C.UTF-8
unset QT_IM_MODULE XMODIFIERS

"$zeqedit" "$sample" >"$work/editor.log" 2>&1 &
editor_pid=$!

# The main window is up once its title names the loaded file.
find_main() { xdotool search --onlyvisible --pid "$editor_pid" --name 'SAMPLE\.TXT' | head -n1; }
wait_for 30 find_main || die "the editor's window did not appear (see $work/editor.log)"
main="$(find_main)"
wait_for 10 xdotool windowfocus --sync "$main" || true

# A menu (or any window of the editor's other than the main one) is open.
find_menu() { xdotool search --onlyvisible --pid "$editor_pid" --name '.*' | grep -vx "$main" | head -n1; }

# Captures a window until two captures in a row are the same picture, so the
# window has finished painting. With DIFFERENT_FROM, the picture must also
# differ from that file (the window has reacted to the last key).
capture() {
  local window="$1" file="$2" different_from="${3:-}" tries=50 previous="$work/previous.png"
  rm -f "$previous"
  while [ "$tries" -gt 0 ]; do
    import -silent -window "$window" "png:$work/shot.png" 2>/dev/null || true
    if [ -s "$work/shot.png" ] && [ -s "$previous" ] \
        && compare -metric AE "$work/shot.png" "$previous" null: 2>/dev/null \
        && { [ -z "$different_from" ] || ! compare -metric AE "$work/shot.png" "$different_from" null: 2>/dev/null; }; then
      cp "$work/shot.png" "$file"
      return 0
    fi
    [ -s "$work/shot.png" ] && cp "$work/shot.png" "$previous"
    tries=$((tries - 1))
    sleep 0.2
  done
  return 1
}

# 1. The main window with the document.
capture "$main" "$out/main-window.png" || die "the main window did not settle"
echo "wrote $out/main-window.png"

# 2. The display image (Ctrl+T), then back to the edit view.
xdotool key --clearmodifiers ctrl+t
capture "$main" "$out/display-image.png" "$out/main-window.png" || die "the display image did not appear"
echo "wrote $out/display-image.png"
xdotool key --clearmodifiers ctrl+t
capture "$main" "$work/edit-again.png" "$out/display-image.png" || die "the edit view did not come back"

# 3. The ruby preview: ﾌｧｲﾙ(&F) → ルビ表示(&R), then Ctrl+T and back.
xdotool key --clearmodifiers alt+f
wait_for 10 find_menu || die "the ﾌｧｲﾙ menu did not open"
xdotool key --clearmodifiers r
wait_for 10 sh -c '! xdotool search --onlyvisible --pid "$1" --name ".*" | grep -vxq "$2"' _ "$editor_pid" "$main" || true
xdotool key --clearmodifiers ctrl+t
capture "$main" "$out/ruby-preview.png" "$work/edit-again.png" || die "the ruby preview did not appear"
echo "wrote $out/ruby-preview.png"
xdotool key --clearmodifiers ctrl+t
capture "$main" "$work/edit-after-ruby.png" "$out/ruby-preview.png" || die "the edit view did not come back"

# 4. The settings dialog: ｵﾌﾟｼｮﾝ(&O) → 設定(&S).
xdotool key --clearmodifiers alt+o
wait_for 10 find_menu || die "the ｵﾌﾟｼｮﾝ menu did not open"
xdotool key --clearmodifiers s
find_settings() { xdotool search --onlyvisible --pid "$editor_pid" --name '設定' | grep -vx "$main" | head -n1; }
if wait_for 10 find_settings; then
  settings="$(find_settings)"
  capture "$settings" "$out/settings.png" || die "the settings dialog did not settle"
  echo "wrote $out/settings.png"
  xdotool key --clearmodifiers Escape
  wait_for 10 sh -c '! xdotool search --onlyvisible --pid "$1" --name "設定" | grep -vxq "$2"' _ "$editor_pid" "$main" || true
else
  # No dialog opened: show the menu itself, over the main window.
  echo "screenshots: WARNING: the settings dialog did not open; settings.png shows the ｵﾌﾟｼｮﾝ menu" >&2
  wait_for 10 xdotool windowfocus --sync "$main" || true
  xdotool key --clearmodifiers alt+o
  wait_for 10 find_menu || die "the ｵﾌﾟｼｮﾝ menu did not open again"
  eval "$(xdotool getwindowgeometry --shell "$main")"
  crop="${WIDTH}x${HEIGHT}+${X}+${Y}"
  capture root "$work/root.png" || die "the screen did not settle"
  convert "$work/root.png" -crop "$crop" +repage "$out/settings.png"
  echo "wrote $out/settings.png (menu only)"
  xdotool key --clearmodifiers Escape
fi

# Close the editor the way a user does: Esc in a clean document.
wait_for 10 xdotool windowfocus --sync "$main" || true
xdotool key --clearmodifiers Escape
if wait_for 10 sh -c '! kill -0 "$1"' _ "$editor_pid"; then
  wait "$editor_pid" 2>/dev/null || true
  editor_pid=""
fi
