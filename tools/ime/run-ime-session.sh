#!/usr/bin/env bash
# Runs COMMAND inside a headless desktop session with a real Japanese input
# method (ibus + Mozc or fcitx5 + Mozc), then tears the whole session down.
#
#   run-ime-session.sh --im ibus|fcitx5 --workdir DIR [options] -- COMMAND [ARG...]
#
# Options:
#   --engine NAME     the Japanese engine: mozc (default), anthy, kkc or skk.
#   --user NAME       unprivileged user for the session when started as root
#                     (default: nobody). Mozc refuses to run as root.
#   --timeout SECS    COMMAND is ended after this long (default 300).
#   --ready-timeout SECS  bound for each start-up wait (default 30).
#   --env NAME=VALUE  extra variable for COMMAND (repeatable).
#   --keep            keep DIR's session files after the run (default: the
#                     fresh home and runtime files are removed, logs are kept).
#
# What it does: creates DIR if needed (owned by the session user), a fresh
# HOME and XDG directories under DIR, starts Xvfb on a free display, a private
# session bus without service activation, then the input method with Mozc as
# its only engine, waits (polling, bounded) until Mozc is the active engine,
# and runs COMMAND as the session user with DISPLAY, DBUS_SESSION_BUS_ADDRESS,
# QT_IM_MODULE, XMODIFIERS, GTK_IM_MODULE, HOME and XDG_* set. COMMAND also
# gets ZEQ_IME (ibus|fcitx5), ZEQ_IME_WORKDIR (DIR, writable by it) and
# ZEQ_IME_TOOLS (DIR/tools, a copy of this folder's scripts, since the session
# user may not be able to reach this checkout); variables named ZEQ_* in the
# caller's
# environment are passed on too. Everything the session starts (including
# Mozc's server, which detaches) carries a marker in its environment and is
# ended on exit by that marker.
#
# Exit status: COMMAND's; 124 if COMMAND timed out; 125 if the session could
# not be set up (the reason is printed, logs are in DIR/logs).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

im=""
workdir=""
session_user="nobody"
engine="mozc"
cmd_timeout=300
ready_timeout=30
keep=0
extra_env=()

die() { echo "run-ime-session: $*" >&2; exit 125; }
usage() { sed -n '2,/^set -euo/p' "${BASH_SOURCE[0]}" | sed '$d; s/^# \{0,1\}//' >&2; exit 125; }

while [ $# -gt 0 ]; do
  case "$1" in
    --im) im="${2:-}"; shift 2 ;;
    --workdir) workdir="${2:-}"; shift 2 ;;
    --user) session_user="${2:-}"; shift 2 ;;
    --engine) engine="${2:-}"; shift 2 ;;
    --timeout) cmd_timeout="${2:-}"; shift 2 ;;
    --ready-timeout) ready_timeout="${2:-}"; shift 2 ;;
    --env) extra_env+=("${2:-}"); shift 2 ;;
    --keep) keep=1; shift ;;
    -h|--help) usage ;;
    --) shift; break ;;
    *) echo "run-ime-session: unknown argument: $1" >&2; usage ;;
  esac
done
[ $# -gt 0 ] || { echo "run-ime-session: no COMMAND given" >&2; usage; }
case "$im" in ibus|fcitx5) ;; *) die "--im must be ibus or fcitx5" ;; esac
# What each engine is called by each input method, and the process that runs
# it under ibus (anthy's engine is a Python program).
case "$engine" in
  mozc) ibus_engine=mozc-jp; ibus_engine_proc=/usr/lib/ibus-mozc/ibus-engine-mozc ;;
  anthy) ibus_engine=anthy; ibus_engine_proc=/usr/share/ibus-anthy/engine/main.py ;;
  kkc) ibus_engine=kkc; ibus_engine_proc=/usr/libexec/ibus-engine-kkc ;;
  skk) ibus_engine=skk; ibus_engine_proc=/usr/libexec/ibus-engine-skk ;;
  *) die "--engine must be mozc, anthy, kkc or skk" ;;
esac
[ -n "$workdir" ] || die "--workdir DIR is required"
[[ "$cmd_timeout" =~ ^[0-9]+$ ]] || die "--timeout needs whole seconds"
[[ "$ready_timeout" =~ ^[0-9]+$ ]] || die "--ready-timeout needs whole seconds"

for tool in Xvfb dbus-daemon setpriv timeout xdotool; do
  command -v "$tool" >/dev/null || die "$tool is missing (run tools/ime/install-ime-deps.sh)"
done
if [ "$im" = ibus ]; then
  for tool in ibus-daemon ibus; do command -v "$tool" >/dev/null || die "$tool is missing"; done
  [ -x /usr/libexec/ibus-memconf ] || die "/usr/libexec/ibus-memconf is missing"
  [ -e "$ibus_engine_proc" ] || die "ibus-$engine is missing"
else
  for tool in fcitx5 fcitx5-remote; do command -v "$tool" >/dev/null || die "$tool is missing"; done
  compgen -G "/usr/lib/*/fcitx5/*$engine.so" >/dev/null || die "fcitx5-$engine is missing"
fi

# --- who runs the session -------------------------------------------------
if [ "$(id -u)" -eq 0 ]; then
  uid="$(id -u "$session_user" 2>/dev/null)" || die "no such user: $session_user"
  gid="$(id -g "$session_user")"
  [ "$uid" -ne 0 ] || die "the session user must not be root (Mozc refuses to run as root)"
  as_user=(setpriv --reuid="$uid" --regid="$gid" --clear-groups --)
else
  uid="$(id -u)"
  gid="$(id -g)"
  as_user=()
fi

# --- folders ----------------------------------------------------------------
mkdir -p "$workdir"
workdir="$(cd "$workdir" && pwd)"
chown "$uid:$gid" "$workdir"
chmod 0755 "$workdir"
# The session user must be able to reach DIR.
if [ ${#as_user[@]} -gt 0 ] && ! "${as_user[@]}" test -w "$workdir" -a -x "$workdir"; then
  die "$session_user cannot write $workdir (is a parent folder closed to it?)"
fi
home="$workdir/home"
logs="$workdir/logs"
rm -rf "$home"
mkdir -p "$home/.config" "$home/.local/share" "$home/.cache" "$logs"
chown -R "$uid:$gid" "$workdir"
runtime=""

marker="ZEQ_IME_SESSION_MARK=$$.$(date +%s%N).$RANDOM"

# --- clean-up ---------------------------------------------------------------
pids=()        # processes started here, in start order
cmd_pid=""

marked_pids() {
  # Every process whose environment carries this session's marker.
  local f pid
  for f in $(grep -lzxF -- "$marker" /proc/[0-9]*/environ 2>/dev/null); do
    pid="${f#/proc/}"; pid="${pid%/environ}"
    [ "$pid" = "$$" ] || echo "$pid"
  done
}

is_running() {
  # A zombie counts as gone: its parent (not this script) has to reap it.
  local state
  state="$(sed 's/^.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1)"
  [ -n "$state" ] && [ "$state" != Z ]
}

wait_gone() {
  # wait_gone DEADLINE_TENTHS PID... : polls until all PIDs are gone or the
  # deadline passes; prints those still alive.
  local tenths="$1"; shift
  local left=("$@") alive i
  for ((i = 0; i < tenths; i++)); do
    alive=()
    for p in "${left[@]}"; do is_running "$p" && alive+=("$p"); done
    [ ${#alive[@]} -gt 0 ] || return 0
    left=("${alive[@]}")
    sleep 0.1
  done
  echo "${left[@]}"
}

stop_pids() {
  # stop_pids PID... : TERM, up to 5 s to go, then KILL.
  [ $# -gt 0 ] || return 0
  kill -TERM "$@" 2>/dev/null
  local left
  left="$(wait_gone 50 "$@")"
  if [ -n "$left" ]; then
    kill -KILL $left 2>/dev/null
    wait_gone 20 $left >/dev/null
  fi
}

teardown() {
  local status=$?
  trap - EXIT INT TERM HUP
  set +e
  # 1. COMMAND, 2. whatever else it or the input method left running while
  # the X server and the bus are still there (the detached Mozc server among
  # them), 3. the session's own daemons, newest first, 4. anything left.
  [ -z "$cmd_pid" ] || stop_pids "$cmd_pid"
  local p q others=() infra=()
  for p in $(marked_pids); do
    for q in "${pids[@]}"; do [ "$p" != "$q" ] || continue 2; done
    others+=("$p")
  done
  stop_pids "${others[@]}"
  for ((p = ${#pids[@]} - 1; p >= 0; p--)); do infra+=("${pids[p]}"); done
  for p in "${infra[@]}"; do stop_pids "$p"; done
  stop_pids $(marked_pids)
  for p in "${pids[@]}" $cmd_pid; do wait "$p" 2>/dev/null; done
  [ -z "$runtime" ] || rm -rf "$runtime"
  if [ "$keep" -eq 0 ]; then rm -rf "$home"; fi
  exit "$status"
}
trap teardown EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Sockets live in a short runtime folder: socket paths are limited to 107 bytes.
runtime="$(mktemp -d /tmp/zeq-ime-run.XXXXXX)"
chown "$uid:$gid" "$runtime"
chmod 0700 "$runtime"

# --- environment for everything the session runs ---------------------------
if [ "$im" = ibus ]; then
  im_env=(QT_IM_MODULE=ibus XMODIFIERS=@im=ibus GTK_IM_MODULE=ibus)
else
  im_env=(QT_IM_MODULE=fcitx XMODIFIERS=@im=fcitx GTK_IM_MODULE=fcitx)
fi
base_env=(
  "$marker"
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
  HOME="$home" USER="$session_user" LOGNAME="$session_user" SHELL=/bin/sh
  LANG=C.UTF-8 LC_ALL=C.UTF-8
  XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share"
  XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$runtime"
  XDG_CONFIG_DIRS=/etc/xdg XDG_DATA_DIRS=/usr/local/share:/usr/share
  QT_QPA_PLATFORM=xcb NO_AT_BRIDGE=1
  "${im_env[@]}"
)
# run_user CMD...: runs CMD as the session user with the session's environment.
# spawn_user CMD... &: the same in the background, with $! being CMD's own
# process id (the background subshell execs it).
run_user() { "${as_user[@]}" env -i "${base_env[@]}" "$@"; }
spawn_user() { exec "${as_user[@]}" env -i "${base_env[@]}" "$@"; }

poll() {
  # poll WHAT PID CMD... : runs CMD every 0.1 s until it succeeds, within
  # ready_timeout seconds; fails at once if process PID (the one being waited
  # for) has exited.
  local what="$1" pid="$2"; shift 2
  local end=$((SECONDS + ready_timeout))
  until "$@" >/dev/null 2>&1; do
    if ! is_running "$pid"; then
      echo "run-ime-session: $what: the process exited, see $logs" >&2
      return 1
    fi
    [ $SECONDS -lt $end ] || { echo "run-ime-session: timed out waiting for $what, see $logs" >&2; return 1; }
    sleep 0.1
  done
}

# --- X server ---------------------------------------------------------------
: > "$runtime/display"
chown "$uid:$gid" "$runtime/display"
spawn_user Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset \
  3> "$runtime/display" > "$logs/xvfb.log" 2>&1 &
pids+=($!)
display_ready() { [ -n "$(tr -d '[:space:]' < "$runtime/display")" ]; }
poll "the X server" "${pids[0]}" display_ready || exit 125
display=":$(tr -d '[:space:]' < "$runtime/display")"
base_env+=(DISPLAY="$display")
poll "the X server to answer" "${pids[0]}" run_user xdotool getmouselocation || exit 125

# --- private session bus without service activation -------------------------
cat > "$runtime/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <keep_umask/>
  <listen>unix:dir=$runtime</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
: > "$runtime/bus.address"
chown "$uid:$gid" "$runtime/bus.conf" "$runtime/bus.address"
spawn_user dbus-daemon --nofork --nopidfile --config-file="$runtime/bus.conf" --print-address=3 \
  3> "$runtime/bus.address" > "$logs/dbus.log" 2>&1 &
pids+=($!)
bus_ready() { grep -q '^unix:' "$runtime/bus.address"; }
poll "the session bus" "${pids[1]}" bus_ready || exit 125
base_env+=(DBUS_SESSION_BUS_ADDRESS="$(head -n1 "$runtime/bus.address")")

# --- input method -----------------------------------------------------------
if [ "$im" = ibus ]; then
  mkdir -p "$home/.config/mozc"
  cat > "$home/.config/mozc/ibus_config.textproto" <<'EOF'
engines {
  name : "mozc-jp"
  longname : "Mozc"
  layout : "default"
  layout_variant : ""
  layout_option : ""
  rank : 80
}
active_on_launch: True
EOF
  chown -R "$uid:$gid" "$home/.config/mozc"
  # anthy starts in Latin mode; its settings live in GSettings, which the
  # keyfile backend reads from the fresh HOME without a dconf service.
  if [ "$engine" = anthy ]; then
    mkdir -p "$home/.config/glib-2.0/settings"
    printf '[org/freedesktop/ibus/engine/anthy/common]\ninput-mode=0\n' \
      > "$home/.config/glib-2.0/settings/keyfile"
    chown -R "$uid:$gid" "$home/.config/glib-2.0"
    base_env+=(GSETTINGS_BACKEND=keyfile)
  fi
  spawn_user ibus-daemon --panel=disable --emoji-extension=disable \
    --config=/usr/libexec/ibus-memconf --verbose > "$logs/ibus-daemon.log" 2>&1 &
  pids+=($!)
  im_pid=$!
  ibus_address_ready() { run_user ibus address | grep -q '^unix:'; }
  poll "ibus-daemon" "$im_pid" ibus_address_ready || exit 125
  base_env+=(IBUS_ADDRESS="$(run_user ibus address)")
  # Setting the engine exits 1 even when it worked: ask again until it is set.
  engine_set() {
    [ "$(run_user ibus engine 2>/dev/null)" = "$ibus_engine" ] && return 0
    run_user ibus engine "$ibus_engine" >> "$logs/ibus-engine.log" 2>&1
    [ "$(run_user ibus engine 2>/dev/null)" = "$ibus_engine" ]
  }
  poll "ibus to use $ibus_engine" "$im_pid" engine_set || exit 125
  # The engine process must be up too.
  engine_running() {
    local p
    for p in $(marked_pids); do
      tr '\0' ' ' < "/proc/$p/cmdline" 2>/dev/null | grep -qF -- "$ibus_engine_proc" && return 0
    done
    return 1
  }
  poll "the $engine engine of ibus" "$im_pid" engine_running || exit 125
  im_version="$(ibus version 2>/dev/null)"
else
  mkdir -p "$home/.config/fcitx5/conf"
  cat > "$home/.config/fcitx5/profile" <<EOF
[Groups/0]
Name=Default
Default Layout=us
DefaultIM=$engine

[Groups/0/Items/0]
Name=$engine
Layout=

[GroupOrder]
0=Default
EOF
  chown -R "$uid:$gid" "$home/.config/fcitx5"
  spawn_user fcitx5 -D --disable=notificationitem,wayland,waylandim,kimpanel,clipboard,notifications \
    > "$logs/fcitx5.log" 2>&1 &
  pids+=($!)
  im_pid=$!
  # Ready when fcitx5 answers on the bus, its current group holds mozc as the
  # only input method and the mozc addon provides it. (fcitx5-remote -n
  # tells nothing until an input context has focus.)
  fcitx_call() {
    run_user dbus-send --session --print-reply=literal --reply-timeout=2000 \
      --dest=org.fcitx.Fcitx5 /controller "org.fcitx.Fcitx.Controller1.$1" "${@:2}"
  }
  engine_current() {
    local group ims addon
    group="$(fcitx_call CurrentInputMethodGroup)" || return 1
    [ "$(echo $group)" = Default ] || return 1
    ims="$(fcitx_call InputMethodGroupInfo string:Default)" || return 1
    [ "$(echo $ims | grep -o 'struct {[^}]*}' | tr -s ' ')" = "struct { $engine }" ] || return 1
    addon="$(fcitx_call AddonForIM string:$engine)" || return 1
    [ "$(echo $addon)" = "$engine" ]
  }
  poll "fcitx5 to offer $engine" "$im_pid" engine_current || exit 125
  im_version="fcitx5 $(fcitx5 --version 2>/dev/null)"
fi
echo "run-ime-session: $im_version with $engine on $display (user $session_user, logs in $logs)" >&2

# --- the command ------------------------------------------------------------
# The session user may not reach this checkout (CI runs from root's folders):
# give it its own copy of the tools.
mkdir -p "$workdir/tools"
cp "$here"/*.sh "$workdir/tools/"
chmod -R a+rX "$workdir/tools"
base_env+=(ZEQ_IME="$im" ZEQ_IME_ENGINE="$engine" ZEQ_IME_WORKDIR="$workdir" ZEQ_IME_TOOLS="$workdir/tools" ZEQ_IME_DISPLAY="$display")
while IFS='=' read -r name _; do
  case "$name" in
    ZEQ_IME*|ZEQ_IME_SESSION_MARK) ;;
    ZEQ_*) base_env+=("$name=${!name}") ;;
  esac
done < <(env | grep -E '^ZEQ_[A-Za-z0-9_]*=' || true)
for kv in "${extra_env[@]}"; do
  [[ "$kv" == *=* ]] || die "--env needs NAME=VALUE, got: $kv"
  base_env+=("$kv")
done

set +e
spawn_user timeout --kill-after=10 "$cmd_timeout" "$@" &
cmd_pid=$!
wait "$cmd_pid"
status=$?
cmd_pid=""
set -e
[ "$status" -ne 124 ] || echo "run-ime-session: COMMAND timed out after ${cmd_timeout}s" >&2
exit "$status"
