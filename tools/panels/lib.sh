# Shared by tools/panels/<desktop>.sh: a real desktop panel from Debian's
# packages, headless, with the program's icon on it, clicked as a person
# would, every step photographed.
#
#   source "$(dirname "$0")/lib.sh" "$@"        # $1 the built kelvora, $2 OUTDIR
#   panels_session_bus                          # re-runs the script on a bus of its own
#   ... the desktop's own start ...
#   panels_start_kelvora                        # the copy beside its Kelvora.ini
#   panels_tour                                 # the clicks and the screenshots
#
# A desktop script sets the hooks panels_tour uses:
#   panels_shot_hook FILE      the whole screen as a PNG
#   panels_click_hook X Y B    a click (B: 1 left, 3 right) at screen point X,Y
#   panels_key_hook KEY        Escape, Down, Right, Return...
#   panels_icon_hook           prints "X Y W H" of the program's icon, or nothing
#
# Everything lives in a temporary folder removed on exit (PANELS_KEEP=1 keeps
# it, for its logs; PANELS_TRACE=1 traces the script); the screenshots and a
# notes.txt go to OUTDIR. PANELS_MENU_BUTTONS="1 3" walks the menu after a
# right click too, once a right click opens the program's menu.

set -euo pipefail

PANELS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
PANELS_NAME=$(basename "${BASH_SOURCE[1]:-$0}" .sh)
PANELS_BIN=$(realpath "${1:?"usage: $0 <path to kelvora> <output folder>"}")
PANELS_OUT=${2:?"usage: $0 <path to kelvora> <output folder>"}
[ -x "$PANELS_BIN" ] || { echo "no executable at $PANELS_BIN" >&2; exit 2; }
mkdir -p "$PANELS_OUT"
PANELS_OUT=$(realpath "$PANELS_OUT")

panels_log() { echo "[$PANELS_NAME] $*" >&2; echo "$*" >>"$PANELS_OUT/notes.txt"; }
panels_need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (see the packages at the top of $0)" >&2; exit 77; }
  done
}

# Runs the rest of the script on a private session bus (and, with
# PANELS_SYSTEM_BUS=1 set before, a second private bus as the system bus):
# no real session's panel, settings daemon or login manager is touched.
panels_session_bus() {
  if [ -z "${PANELS_ON_BUS:-}" ]; then
    # The bus starts the services it activates (xfconfd, dconf...) with its
    # own environment: the private home must be set before it starts.
    PANELS_WORK=${PANELS_WORK:-$(mktemp -d "${TMPDIR:-/tmp}/kelvora-panels.XXXXXX")}
    export PANELS_WORK
    panels_env
    export PANELS_ON_BUS=1
    exec dbus-run-session -- bash ${PANELS_TRACE:+-x} "$0" "$@"
  fi
}

# Nothing of the real user is read or written: home, settings, caches and
# the runtime folder are the work folder's.
panels_env() {
  mkdir -p "$PANELS_WORK/app" "$PANELS_WORK/home/.config" "$PANELS_WORK/home/.local/share" "$PANELS_WORK/run"
  chmod 700 "$PANELS_WORK/run"
  export HOME=$PANELS_WORK/home
  export XDG_CONFIG_HOME=$HOME/.config
  export XDG_DATA_HOME=$HOME/.local/share
  export XDG_CACHE_HOME=$HOME/.cache
  export XDG_RUNTIME_DIR=$PANELS_WORK/run
  export LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8
  export BROWSER=true
  unset WAYLAND_DISPLAY DISPLAY SESSION_MANAGER DESKTOP_AUTOSTART_ID
}

PANELS_PIDS=()

panels_cleanup() {
  local pid
  for ((i = ${#PANELS_PIDS[@]} - 1; i >= 0; i--)); do
    kill "${PANELS_PIDS[i]}" 2>/dev/null || true
  done
  sleep 0.5
  for pid in "${PANELS_PIDS[@]}"; do
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  if [ -n "${PANELS_KEEP:-}" ]; then
    echo "work folder kept: $PANELS_WORK" >&2
  else
    rm -rf "$PANELS_WORK"
  fi
}

# After panels_session_bus, in the script that really runs.
panels_setup() {
  trap panels_cleanup EXIT
  trap 'exit 130' INT TERM
  : >"$PANELS_OUT/notes.txt"
  rm -f "$PANELS_OUT"/*.png
  panels_env
  # The program: a copy beside its settings file, with its paper module.
  cp "$PANELS_BIN" "$PANELS_WORK/app/kelvora"
  [ -f "$(dirname "$PANELS_BIN")/libkelvora_paper.so" ] && cp "$(dirname "$PANELS_BIN")/libkelvora_paper.so" "$PANELS_WORK/app/"
  panels_write_ini "H23,6884368" "E28,42612413" "I33,16381152" "[Анна]" 7 11 1984 0 12 "[Борис]" 3 2 1950 1 0
}

# The settings file as the program keeps it: Windows-1251, CR LF.
panels_write_ini() {
  printf '%s\r\n' "$@" | iconv -f UTF-8 -t WINDOWS-1251 >"$PANELS_WORK/app/Kelvora.ini"
}

panels_spawn() {
  "$@" &
  PANELS_PIDS+=("$!")
}

# panels_wait SECONDS COMMAND...: polls until the command succeeds.
panels_wait() {
  local tries=$(($1 * 10))
  shift
  while ((tries-- > 0)); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  return 1
}

panels_fail() {
  panels_log "FAIL: $*"
  panels_shot zz-failure 2>/dev/null || true
  exit 1
}

# A private X server; sets DISPLAY. $1: WxH (1024x768 unless given).
panels_xvfb() {
  local fdfile=$PANELS_WORK/display
  : >"$fdfile"
  panels_spawn Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp -noreset 3>"$fdfile" 2>"$PANELS_WORK/xvfb.log"
  panels_wait 20 test -s "$fdfile" || panels_fail "Xvfb did not start"
  export DISPLAY=":$(head -n1 "$fdfile" | tr -d '[:space:]')"
  panels_wait 10 xwininfo -root || panels_fail "display $DISPLAY does not answer"
  dbus-update-activation-environment DISPLAY
}

# Starts the program; QT_QPA_PLATFORM as the caller exported it.
panels_start_kelvora() {
  panels_monitor
  (cd "$PANELS_WORK/app" && exec ./kelvora) >>"$PANELS_WORK/kelvora.log" 2>&1 &
  PANELS_KELVORA_PID=$!
  PANELS_PIDS+=("$PANELS_KELVORA_PID")
  panels_log "kelvora started (QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-unset}, pid $PANELS_KELVORA_PID)"
}

panels_shot() {
  panels_shot_hook "$PANELS_OUT/$1.png"
  echo "[$PANELS_NAME] screenshot $PANELS_OUT/$1.png" >&2
}

# The program's item on the session bus, as its watcher lists it.
panels_sni_items() {
  dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
    org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
    string:RegisteredStatusNotifierItems 2>/dev/null | sed -n 's/^ *string "\(.*\)"$/\1/p'
}

# What the item tells the panel about its menu.
panels_sni_menu_facts() {
  local item service path
  item=$(panels_sni_items | head -n1)
  [ -n "$item" ] || { echo "no StatusNotifierItem registered"; return 0; }
  # "service/path", or GNOME's extension's "service@/path", or a bare service.
  item=${item/@\//\/}
  service=${item%%/*}
  path=/${item#*/}
  [ "$path" = "/$item" ] && path=/StatusNotifierItem
  for prop in Menu ItemIsMenu; do
    echo "$prop: $(dbus-send --session --print-reply --dest="$service" "$path" org.freedesktop.DBus.Properties.Get \
      string:org.kde.StatusNotifierItem string:$prop 2>&1 | sed -n '2,$p' | tr -s ' \n' ' ')"
  done
}

# The icon found by what changed on the screen when it appeared: BEFORE and
# AFTER are screenshots, the panel strip is X Y W H. Prints "X Y W H".
panels_icon_by_change() {
  local before=$1 after=$2 sx=$3 sy=$4 sw=$5 sh=$6 box
  convert "$before" -crop "${sw}x${sh}+${sx}+${sy}" +repage "$PANELS_WORK/strip-before.png"
  convert "$after" -crop "${sw}x${sh}+${sx}+${sy}" +repage "$PANELS_WORK/strip-after.png"
  compare -metric AE -fuzz 10% "$PANELS_WORK/strip-before.png" "$PANELS_WORK/strip-after.png" \
    -compose Src -highlight-color white -lowlight-color black "$PANELS_WORK/strip-diff.png" 2>/dev/null || true
  box=$(convert "$PANELS_WORK/strip-diff.png" -format '%@' info: 2>/dev/null) || true
  # WxH+X+Y of the changed pixels, within the strip.
  [[ "$box" =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || return 0
  [ "${BASH_REMATCH[1]}" -gt 1 ] || return 0
  echo "$((sx + BASH_REMATCH[3])) $((sy + BASH_REMATCH[4])) ${BASH_REMATCH[1]} ${BASH_REMATCH[2]}"
}

# Waits for the icon; sets PANELS_ICON_X/Y/W/H and PANELS_ICON_CX/CY (centre).
panels_wait_icon() {
  local found=
  for _ in $(seq 1 "${1:-40}"); do
    found=$(panels_icon_hook || true)
    [ -n "$found" ] && break
    sleep 0.5
  done
  [ -n "$found" ] || panels_fail "the program's icon was not found on the panel"
  read -r PANELS_ICON_X PANELS_ICON_Y PANELS_ICON_W PANELS_ICON_H <<<"$found"
  PANELS_ICON_CX=$((PANELS_ICON_X + PANELS_ICON_W / 2))
  PANELS_ICON_CY=$((PANELS_ICON_Y + PANELS_ICON_H / 2))
  panels_log "icon at $PANELS_ICON_X,$PANELS_ICON_Y size ${PANELS_ICON_W}x$PANELS_ICON_H"
}

# The tour every desktop gets: left click, screenshot, Esc and a click on the
# empty desktop; right click, screenshot; then, where a menu opened, the
# keyboard down to "Параметры..." -> "О программе..." (the same keys the
# program's own menu and the panels' menus take), screenshot.
# PANELS_EMPTY_X/Y: a point on the empty desktop, away from the panel.
panels_tour() {
  local ex=${PANELS_EMPTY_X:-500} ey=${PANELS_EMPTY_Y:-400}
  panels_monitor
  if [ -n "${PANELS_INTERACTIVE:-}" ]; then panels_interactive; return; fi
  panels_log "item: $(panels_sni_items | head -n1) $(panels_sni_menu_facts | tr '\n' ' ')"
  panels_shot 01-icon
  panels_click_hook "$PANELS_ICON_CX" "$PANELS_ICON_CY" 1
  sleep 1.5
  panels_shot 02-left-click
  panels_key_hook Escape
  sleep 0.7
  panels_shot 03-after-escape
  panels_click_hook "$ex" "$ey" 1
  sleep 0.7
  panels_shot 04-after-click-elsewhere
  panels_click_hook "$PANELS_ICON_CX" "$PANELS_ICON_CY" 3
  sleep 1.5
  panels_shot 05-right-click
  panels_key_hook Escape
  sleep 0.7
  panels_click_hook "$ex" "$ey" 1
  sleep 0.7
  # The menu again, by the clicks in PANELS_MENU_BUTTONS ("1" unless set;
  # "1 3" where a right click also opens the program's menu: walked with the
  # keys, another menu could run a panel's command), and down to the about
  # window: the family (2), "Добавить...", "Параметры..." -> its third item.
  local button
  for button in ${PANELS_MENU_BUTTONS:-1}; do
    panels_click_hook "$PANELS_ICON_CX" "$PANELS_ICON_CY" "$button"
    sleep 1.5
    panels_shot "06-menu-button$button"
    if [ -n "${PANELS_MENU_CLICKS:-}" ]; then
      # The desktop knows where the items are: "X,Y X,Y ..." clicked in turn.
      local xy
      for xy in $PANELS_MENU_CLICKS; do
        panels_click_hook "${xy%,*}" "${xy#*,}" 1
        sleep 1
      done
    else
      for key in Down Down Down Down Right Down Down Return; do
        panels_key_hook "$key"
        sleep 0.3
      done
    fi
    sleep 1.5
    panels_shot "07-about-button$button"
    panels_key_hook Escape
    sleep 0.5
    panels_click_hook "$ex" "$ey" 1
    sleep 0.7
  done
  kill -0 "$PANELS_KELVORA_PID" 2>/dev/null || panels_log "the program has ended"
  panels_log "done; look at $PANELS_OUT/*.png"
}

# On an X display: the program's XEmbed icon docked in a tray, "X Y W H".
panels_xembed_icon() {
  xwininfo -root -tree 2>/dev/null | awk '
    /\("kelvora" / {
      n = split($0, f, " "); size = ""; abs = ""
      for (i = 1; i <= n; i++) {
        if (f[i] ~ /^[0-9]+x[0-9]+[-+]/) size = f[i]
        else if (size != "" && f[i] ~ /^[-+][0-9]+[-+][0-9]+$/) abs = f[i]
      }
      split(size, wh, /[x+-]/); gsub(/^\+/, "", abs); split(abs, xy, "+")
      if (wh[1] <= 64 && wh[2] <= 64 && wh[1] > 1) { print xy[1], xy[2], wh[1], wh[2]; exit }
    }' || true
}

# X display hooks: xdotool and ImageMagick.
panels_x_hooks() {
  panels_shot_hook() { import -window root "$1"; }
  panels_click_hook() {
    xdotool mousemove "$1" "$2"
    sleep 0.2
    xdotool click "$3"
  }
  panels_key_hook() { xdotool key "$1"; }
}

# The icon on an X display: docked by XEmbed, or what the panel drew in
# PANELS_STRIP ("X Y W H") since $PANELS_WORK/before.png was taken.
panels_x_icon_hook() {
  local found
  found=$(panels_xembed_icon)
  if [ -z "$found" ] && [ -f "$PANELS_WORK/before.png" ]; then
    panels_shot_hook "$PANELS_WORK/now.png"
    # shellcheck disable=SC2086
    found=$(panels_icon_by_change "$PANELS_WORK/before.png" "$PANELS_WORK/now.png" $PANELS_STRIP)
  fi
  echo "$found"
}

# Runs "$0 BIN OUT/MODE MODE" for every MODE given, one after the other, and
# says which ended badly; for scripts that try a desktop several ways.
panels_each_mode() {
  local mode status=0
  for mode in "$@"; do
    echo "== $PANELS_NAME $mode" >&2
    bash "$0" "$PANELS_BIN" "$PANELS_OUT/$mode" "$mode" || { echo "== $PANELS_NAME $mode ended with $?" >&2; status=1; }
  done
  exit $status
}


# The whole private bus, for the menu's and the item's traffic.
panels_monitor() {
  [ -n "${PANELS_MONITOR_PID:-}" ] && return 0
  dbus-monitor --session >"$PANELS_OUT/dbus.log" 2>&1 &
  PANELS_MONITOR_PID=$!
  PANELS_PIDS+=("$PANELS_MONITOR_PID")
}

# Commands from $PANELS_OUT/ctl (a pipe), each a line of bash run here, its
# output in $PANELS_OUT/ctl.log followed by "## done N"; "quit" ends.
panels_interactive() {
  local line n=0
  rm -f "$PANELS_OUT/ctl"
  mkfifo "$PANELS_OUT/ctl"
  exec 8<>"$PANELS_OUT/ctl"
  echo "## ready" >>"$PANELS_OUT/ctl.log"
  while read -r -u 8 line; do
    [ "$line" = quit ] && break
    n=$((n + 1))
    { echo "## $n: $line"; eval "$line" 2>&1 || echo "## status $?"; echo "## done $n"; } >>"$PANELS_OUT/ctl.log" 2>&1
  done
}

# panels_start_in_order panel-first|program-first: the panel (the script's
# start_panel) and the program in that order, until the icon is found.
panels_start_in_order() {
  if [ "$1" = program-first ]; then
    panels_start_kelvora
    sleep 3
    start_panel
    # The program's item moves onto the panel as the panel's watcher appears:
    # no XEmbed window to find it by.
    sleep 3
    panels_blank_strip_before
  else
    start_panel
    panels_shot_hook "$PANELS_WORK/before.png"
    panels_start_kelvora
  fi
  panels_wait_icon
  sleep 1
}

# When the icon was there before the panel (program first): "before" is the
# screen with the panel strip painted in its own background colour, taken
# from its far end, where no item is.
panels_blank_strip_before() {
  local sx sy sw sh colour
  read -r sx sy sw sh <<<"$PANELS_STRIP"
  panels_shot_hook "$PANELS_WORK/now.png"
  colour=$(convert "$PANELS_WORK/now.png" -format "%[pixel:p{$((sx + sw - 3)),$((sy + sh / 2))}]" info:)
  convert "$PANELS_WORK/now.png" -fill "$colour" -draw "rectangle $sx,$sy $((sx + sw - 1)),$((sy + sh - 2))" "$PANELS_WORK/before.png"
}
