#!/usr/bin/env bash
# sway 1.7 with waybar 0.9.17 (its tray module alone on a top bar), headless
# (wlroots' headless backend, software rendering), on a private session bus.
# sway refuses root: run as root, the script goes on as the user "nobody".
# Clicks come from a virtual pointer of our own (vpointer.c, built here),
# keys from wtype, screenshots from grim.
#
#   tools/panels/sway.sh build/kelvora OUTDIR [native|xwayland|windows]
#
# native: the program as a Wayland client (qt6-wayland); xwayland: as an X
# client of sway's XWayland; windows: native, and every window the menu's
# commands open, with what sway made of it (floating or tiled, its size) in
# OUTDIR/notes.txt (PANELS_ONLY=1: the month choice and the preview alone).
# Without a mode: native and xwayland.
# Packages: sway waybar grim wtype xwayland qt6-wayland libwayland-dev gcc
#           imagemagick dbus
source "$(dirname "$0")/lib.sh" "$@"
[ -n "${3:-}" ] || panels_each_mode native xwayland
MODE=$3
panels_need sway waybar grim wtype swaymsg cc compare dbus-run-session setpriv

if [ "$(id -u)" = 0 ]; then
  PANELS_WORK=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-panels.XXXXXX")
  chown 65534:65534 "$PANELS_WORK"
  chown -R 65534:65534 "$PANELS_OUT"
  export PANELS_WORK
  exec setpriv --reuid=65534 --regid=65534 --clear-groups \
    env HOME="$PANELS_WORK" bash ${PANELS_TRACE:+-x} "$0" "$PANELS_BIN" "$PANELS_OUT" "$MODE"
fi
panels_session_bus "$@"
panels_setup

cc -O1 -o "$PANELS_WORK/vpointer" "$PANELS_DIR/vpointer.c" -lwayland-client || panels_fail "vpointer did not build"

mkdir -p "$XDG_CONFIG_HOME/sway" "$XDG_CONFIG_HOME/waybar"
cat >"$XDG_CONFIG_HOME/sway/config" <<CONF
output HEADLESS-1 resolution 1024x768 position 0 0 bg #3a5f7a solid_color
default_border normal
focus_follows_mouse no
xwayland enable
exec env >$PANELS_WORK/sway.env
CONF
cat >"$XDG_CONFIG_HOME/waybar/config" <<'CONF'
{ "layer": "top", "position": "top", "height": 30,
  "modules-left": [], "modules-center": [], "modules-right": ["tray"],
  "tray": { "icon-size": 22, "spacing": 8 } }
CONF
cat >"$XDG_CONFIG_HOME/waybar/style.css" <<'CSS'
* { font-family: "DejaVu Sans"; font-size: 13px; }
window#waybar { background: #2b2b2b; color: #ffffff; }
CSS

export WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=1
panels_spawn sway -c "$XDG_CONFIG_HOME/sway/config" >"$PANELS_WORK/sway.log" 2>&1
panels_wait 20 test -s "$PANELS_WORK/sway.env" || panels_fail "sway did not start (see $PANELS_WORK/sway.log)"
sleep 0.5
WAYLAND_DISPLAY=$(sed -n 's/^WAYLAND_DISPLAY=//p' "$PANELS_WORK/sway.env")
SWAYSOCK=$(sed -n 's/^SWAYSOCK=//p' "$PANELS_WORK/sway.env")
SWAY_X_DISPLAY=$(sed -n 's/^DISPLAY=//p' "$PANELS_WORK/sway.env")
export WAYLAND_DISPLAY SWAYSOCK

# The pointer: vpointer reads its commands from a pipe kept open here.
mkfifo "$PANELS_WORK/pointer"
exec 7<>"$PANELS_WORK/pointer"
# (Not through panels_spawn: a command put in the background from a function
# reads /dev/null, not the function's redirection.)
"$PANELS_WORK/vpointer" 1024 768 <"$PANELS_WORK/pointer" &
PANELS_PIDS+=("$!")
panels_wait 10 bash -c 'swaymsg -t get_inputs | grep -q "\"type\": \"pointer\""' || panels_fail "no pointer in the seat: $(swaymsg -t get_inputs 2>&1 | head -c 600)"

panels_shot_hook() { grim "$1"; }
panels_click_hook() {
  local button=left
  [ "$3" = 3 ] && button=right
  printf 'move %s %s\nsleep 150\nclick %s\n' "$1" "$2" "$button" >&7
  sleep 0.3
}
panels_key_hook() { wtype -k "$1"; }
PANELS_STRIP="0 0 1024 30"
panels_icon_hook() {
  panels_shot_hook "$PANELS_WORK/now.png"
  # shellcheck disable=SC2086
  panels_icon_by_change "$PANELS_WORK/before.png" "$PANELS_WORK/now.png" $PANELS_STRIP
}

panels_spawn waybar -c "$XDG_CONFIG_HOME/waybar/config" -s "$XDG_CONFIG_HOME/waybar/style.css" >"$PANELS_WORK/waybar.log" 2>&1
panels_wait 20 bash -c 'swaymsg -t get_tree | grep -q waybar' || sleep 3
sleep 2
panels_click_hook 600 500 1
panels_shot_hook "$PANELS_WORK/before.png"

if [ "$MODE" = xwayland ]; then
  export QT_QPA_PLATFORM=xcb DISPLAY=$SWAY_X_DISPLAY
else
  export QT_QPA_PLATFORM=wayland
fi
panels_start_kelvora
panels_wait_icon
sleep 1

if [ "$MODE" != windows ]; then
  panels_tour
  swaymsg -t get_tree >"$PANELS_OUT/sway-tree.json" 2>/dev/null || true
  exit 0
fi
source "$PANELS_DIR/sway-windows.sh"
