# Shared by every tests/e2e/e2e_*.sh: the real program in a private X display
# with a tray host, driven by xdotool, watched with xwininfo and screenshots.
# The tray host is trayer (XEmbed), or with E2E_PANEL=sni set before sourcing
# a StatusNotifierItem watcher on the session bus and no XEmbed tray, or with
# E2E_PANEL=xfce a real panel: XFCE's, its status tray alone along the top.
#
#   source "$(dirname "$0")/lib.sh" "$1"      # $1: the built kelvora
#   e2e_write_ini "H23,6884368" ... ; e2e_start ; e2e_wait_tray_icon
#   e2e_open_menu 1 ; e2e_keys Down Right Up Return ; e2e_wait_window 249x65
#   e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 77 44 ; e2e_shot 03-deleted
#
# Everything lives in a temporary folder and is removed on exit, whatever
# happens; screenshots go to $KELVORA_E2E_OUT/<test name>/.

set -euo pipefail

# Every run has a session bus of its own: no panel, screen reader or other
# program of the real session sees the program under test, nor it them.
if [ -z "${E2E_PRIVATE_BUS:-}" ] && command -v dbus-run-session >/dev/null; then
  export E2E_PRIVATE_BUS=1
  exec dbus-run-session -- bash "$0" "$@"
fi

E2E_NAME=$(basename "${BASH_SOURCE[1]:-$0}" .sh)
E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_PANEL=${E2E_PANEL:-trayer}
E2E_BIN=${1:?"usage: $0 <path to kelvora>"}
[ -x "$E2E_BIN" ] || { echo "no executable at $E2E_BIN" >&2; exit 2; }
for tool in Xvfb trayer xdotool xwininfo import iconv; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed" >&2; exit 77; }
done

E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-e2e.XXXXXX")
E2E_OUT=${KELVORA_E2E_OUT:-$E2E_WORK/out}/$E2E_NAME
mkdir -p "$E2E_OUT" "$E2E_WORK/app" "$E2E_WORK/home" "$E2E_WORK/run"
chmod 700 "$E2E_WORK/run"
rm -f "$E2E_OUT"/*.png

# The program under test: a copy beside its own settings file, with the
# paper module it loads from its own folder when it prints or makes a workbook.
E2E_APP=$E2E_WORK/app/kelvora
E2E_INI=$E2E_WORK/app/Kelvora.ini
E2E_MODULE=$(dirname "$E2E_BIN")/libkelvora_paper.so
cp "$E2E_BIN" "$E2E_APP"
[ -f "$E2E_MODULE" ] && cp "$E2E_MODULE" "$E2E_WORK/app/"

# Nothing of the real user is read or written: home, config and the
# single-instance lock (in the runtime folder) are private to this run.
export HOME=$E2E_WORK/home
export XDG_CONFIG_HOME=$E2E_WORK/home/.config
export XDG_DATA_HOME=$E2E_WORK/home/.local/share
export XDG_RUNTIME_DIR=$E2E_WORK/run
export LANG=${LANG:-ru_RU.UTF-8}
# A Russian run needs the C library's Russian locale: without it the C library
# silently works in C, and what it writes in Russian is never seen.
case ${LC_ALL:-$LANG} in
ru_RU*)
  locale -a | grep -qix 'ru_RU\.utf-\?8' ||
    { echo "FAIL: the locale ru_RU.UTF-8 is not generated (localedef -i ru_RU -f UTF-8 ru_RU.UTF-8)" >&2; exit 1; }
  ;;
esac
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY SESSION_MANAGER
# xdg-open must not reach a real browser or mail program.
export BROWSER=true

E2E_PIDS=()
E2E_XVFB_PID=
E2E_KELVORA_PID=

e2e_log() { echo "[$E2E_NAME] $*" >&2; }
e2e_fail() {
  e2e_log "FAIL: $*"
  [ -n "${DISPLAY:-}" ] && e2e_shot "zz-failure" 2>/dev/null || true
  cp "$E2E_WORK"/*.log "$E2E_OUT/" 2>/dev/null || true
  exit 1
}

e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${E2E_PIDS[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

# Runs a command in the background and remembers it for the clean-up.
e2e_spawn() {
  "$@" &
  E2E_PIDS+=("$!")
}

# e2e_wait_for SECONDS COMMAND...: polls until the command succeeds.
e2e_wait_for() {
  local limit=$1
  shift
  local tries=$((limit * 10))
  while ((tries-- > 0)); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  return 1
}

# e2e_write_ini LINE...: the settings file as the program keeps it,
# Windows-1251 with CR LF after every line.
e2e_write_ini() {
  printf '%s\r\n' "$@" | iconv -f UTF-8 -t WINDOWS-1251 >"$E2E_INI"
}

# The settings file's lines, decoded, without their CR.
e2e_read_ini() {
  iconv -f WINDOWS-1251 -t UTF-8 <"$E2E_INI" | tr -d '\r'
}

# Every line of the settings file ends in CR LF.
e2e_ini_is_crlf() {
  local lines crlf
  lines=$(grep -c '' "$E2E_INI" || true)
  crlf=$(grep -c $'\r$' "$E2E_INI" || true)
  [ "$lines" -eq "$crlf" ]
}

# A private X display (the first free number; E2E_SCREEN=WxH, 800x600 unless
# set) with a tray host: trayer's panel at the top right, or the
# StatusNotifierItem watcher. The display never resets: by default the
# server resets when its last client leaves (here the probe below), and a
# panel that connects meanwhile is turned away.
e2e_start_x() {
  local fdfile=$E2E_WORK/display
  : >"$fdfile"
  e2e_spawn Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-800x600}x24" -nolisten tcp -noreset 3>"$fdfile" 2>"$E2E_WORK/xvfb.log"
  E2E_XVFB_PID=$!
  e2e_wait_for 20 test -s "$fdfile" || e2e_fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$fdfile" | tr -d '[:space:]')"
  e2e_wait_for 10 xwininfo -root >/dev/null 2>&1 || e2e_fail "display $DISPLAY does not answer"
  if [ "$E2E_PANEL" = xfce ]; then
    e2e_start_xfce_panel
  elif [ "$E2E_PANEL" = sni ]; then
    e2e_spawn /usr/bin/python3 "$E2E_LIB_DIR/sni.py" watcher >"$E2E_WORK/watcher.log" 2>&1
    e2e_wait_for 10 dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
      org.freedesktop.DBus.GetNameOwner string:org.kde.StatusNotifierWatcher >/dev/null 2>&1 ||
      e2e_fail "the StatusNotifierItem watcher did not start"
  else
    e2e_spawn trayer --edge top --align right --widthtype pixel --width 120 --height 24 \
      >"$E2E_WORK/trayer.log" 2>&1
    e2e_wait_for 10 e2e_panel_line >/dev/null ||
      e2e_fail "trayer did not start: $(cat "$E2E_WORK/trayer.log" "$E2E_WORK/xvfb.log")"
  fi
  e2e_log "display $DISPLAY ready ($E2E_PANEL)"
}

# XFCE's panel, 30 pixels high along the top with the status tray alone, its
# settings from a file xfconfd reads on the private bus. The bus starts
# xfconfd with the environment it was given, not the private home.
e2e_start_xfce_panel() {
  command -v xfce4-panel >/dev/null || { echo "SKIP: xfce4-panel is not installed" >&2; exit 77; }
  local conf=$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml
  mkdir -p "$conf"
  cat >"$conf/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="30"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML
  dbus-update-activation-environment HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_RUNTIME_DIR DISPLAY
  e2e_spawn xfce4-panel --disable-wm-check >>"$E2E_WORK/panel.log" 2>&1
  E2E_XFCE_PID=$!
  e2e_wait_for 20 bash -c 'xwininfo -root -tree | grep -q "(\"xfce4-panel\" "' || e2e_fail "xfce4-panel did not start"
}

e2e_panel_line() { xwininfo -root -tree 2>/dev/null | grep -m1 '("panel" "trayer")'; }

# Starts the program (the one under test unless another path is given).
e2e_start_kelvora() {
  (cd "$E2E_WORK" && exec "$E2E_APP") >>"$E2E_WORK/kelvora.log" 2>&1 &
  E2E_KELVORA_PID=$!
  E2E_PIDS+=("$E2E_KELVORA_PID")
  e2e_log "kelvora started, pid $E2E_KELVORA_PID"
}

e2e_start() {
  e2e_start_x
  e2e_start_kelvora
}

e2e_kelvora_running() { kill -0 "$E2E_KELVORA_PID" 2>/dev/null; }

# Waits until the program has ended; its exit status is in E2E_EXIT_STATUS.
e2e_wait_kelvora_exit() {
  local limit=${1:-10}
  e2e_wait_for "$limit" bash -c "! kill -0 $E2E_KELVORA_PID 2>/dev/null" || return 1
  E2E_EXIT_STATUS=0
  wait "$E2E_KELVORA_PID" || E2E_EXIT_STATUS=$?
  return 0
}

# The program's icon docked in trayer's panel: prints "X Y W H" (absolute).
e2e_tray_icon_geometry() {
  xwininfo -root -tree 2>/dev/null | awk '
    /\("panel" "trayer"\)/ { match($0, /^ */); depth = RLENGTH; inpanel = 1; next }
    inpanel {
      match($0, /^ */)
      if (RLENGTH <= depth && $0 ~ /0x[0-9a-f]+/) { inpanel = 0; next }
      if ($0 ~ /\("kelvora" /) {
        n = split($0, f, " ")
        size = ""; abs = ""
        for (i = 1; i <= n; i++) {
          if (f[i] ~ /^[0-9]+x[0-9]+[-+]/) size = f[i]
          else if (size != "" && f[i] ~ /^[-+][0-9]+[-+][0-9]+$/) abs = f[i]
        }
        split(size, wh, /[x+-]/)
        gsub(/^\+/, "", abs); split(abs, xy, "+")
        print xy[1], xy[2], wh[1], wh[2]
        exit
      }
    }'
}

e2e_has_tray_icon() { [ -n "$(e2e_tray_icon_geometry)" ]; }

e2e_wait_tray_icon() {
  e2e_wait_for "${1:-20}" e2e_has_tray_icon || e2e_fail "no tray icon docked"
  read -r E2E_ICON_X E2E_ICON_Y E2E_ICON_W E2E_ICON_H <<<"$(e2e_tray_icon_geometry)"
  e2e_log "tray icon at ${E2E_ICON_X},${E2E_ICON_Y} size ${E2E_ICON_W}x${E2E_ICON_H}"
}

# Top-level windows of the program that are on screen: "id WxH X Y" per line.
e2e_windows() {
  local id geometry state
  { xwininfo -root -children 2>/dev/null | grep '("kelvora" ' || true; } | while read -r id _; do
    state=$(xwininfo -id "$id" 2>/dev/null | awk -F': *' '/Map State/ { print $2 }')
    [ "$state" = "IsViewable" ] || continue
    geometry=$(xwininfo -id "$id" 2>/dev/null | awk '
      /Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
      /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF }
      END { print w "x" h, x, y }')
    echo "$id $geometry"
  done
}

# Waits for a new window of the program; sets E2E_WIN (id), E2E_WIN_SIZE,
# E2E_WIN_X, E2E_WIN_Y. With a size (WxH), only a window of that size counts.
e2e_wait_window() {
  local size=${1:-} before=${2:-} line
  _e2e_find_window() {
    while read -r line; do
      [ -n "$line" ] || continue
      set -- $line
      [[ " $before " == *" $1 "* ]] && continue
      [ -n "$size" ] && [ "$2" != "$size" ] && continue
      echo "$line"
      return 0
    done <<<"$(e2e_windows)"
    return 1
  }
  e2e_wait_for "${E2E_WAIT:-10}" _e2e_find_window >/dev/null || return 1
  read -r E2E_WIN E2E_WIN_SIZE E2E_WIN_X E2E_WIN_Y <<<"$(_e2e_find_window)"
}

e2e_window_ids() { e2e_windows | awk '{ print $1 }' | tr '\n' ' '; }

# Waits until window $1 is off the screen.
e2e_wait_window_gone() {
  e2e_wait_for "${2:-10}" bash -c "! xwininfo -id $1 2>/dev/null | grep -q IsViewable"
}

# Clicks the tray icon (button 1 left, 3 right) and waits for the menu;
# E2E_MENU holds its id, E2E_WIN_* its place.
e2e_open_menu() {
  local button=${1:-1} before
  before=$(e2e_window_ids)
  xdotool mousemove $((E2E_ICON_X + E2E_ICON_W / 2)) $((E2E_ICON_Y + E2E_ICON_H / 2))
  sleep 0.2
  xdotool click "$button"
  e2e_wait_window "" "$before" || return 1
  E2E_MENU=$E2E_WIN
  sleep 0.3
}

# The program's item on the StatusNotifierItem panel: E2E_SNI_ITEM.
e2e_wait_sni_item() {
  E2E_SNI_ITEM=$(/usr/bin/python3 "$E2E_LIB_DIR/sni.py" item) || e2e_fail "no item registered with the watcher"
  e2e_log "item $E2E_SNI_ITEM"
}
e2e_sni() { /usr/bin/python3 "$E2E_LIB_DIR/sni.py" "$1" "$E2E_SNI_ITEM" "${@:2}"; }

# e2e_sni_open_menu Activate|ContextMenu: the panel's left or right click at
# the panel's corner (700,10), with the pointer far from there, as it is on a
# panel the program's X connection does not see; waits for the menu like
# e2e_open_menu.
e2e_sni_open_menu() {
  local before
  before=$(e2e_window_ids)
  xdotool mousemove 100 400
  sleep 0.2
  e2e_sni call "$1" 700 10 || return 1
  e2e_wait_window "" "$before" || return 1
  E2E_MENU=$E2E_WIN
  sleep 0.3
}

e2e_close_menu() {
  xdotool key Escape
  e2e_wait_window_gone "$E2E_MENU" || e2e_fail "the menu did not close"
}

# e2e_keys KEY...: one key at a time, with time for the menu to follow.
e2e_keys() {
  local key
  for key in "$@"; do
    xdotool key "$key"
    sleep 0.25
  done
}

# e2e_click_at WINDOW_X WINDOW_Y DX DY [BUTTON]: a click inside a window.
e2e_click_at() {
  xdotool mousemove $(($1 + $3)) $(($2 + $4))
  sleep 0.1
  xdotool click "${5:-1}"
}

# The confirmation dialog (249 x 65) and its two buttons.
E2E_CONFIRM_SIZE=249x65
e2e_wait_confirm() { e2e_wait_window "$E2E_CONFIRM_SIZE" "${1:-}"; }
e2e_confirm_yes() { e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 77 44; }
e2e_confirm_no() { e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 171 44; }

# e2e_shot NAME: the whole screen as $E2E_OUT/NAME.png.
e2e_shot() {
  import -window root "$E2E_OUT/$1.png"
  e2e_log "screenshot $E2E_OUT/$1.png"
}

# The accessibility bus on the private session bus, and Qt's bridge switched
# on, so tests/e2e/atspi.py reads the windows as a screen reader does. Call
# before e2e_start_kelvora.
e2e_start_accessibility() {
  e2e_spawn /usr/libexec/at-spi-bus-launcher --launch-immediately
  e2e_wait_for 10 dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    >/dev/null 2>&1 || e2e_fail "the accessibility bus did not start"
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}

# The program's accessibility tree (see atspi.py).
e2e_accessible_tree() { /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/atspi.py" dump "$E2E_KELVORA_PID"; }
