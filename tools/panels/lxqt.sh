#!/usr/bin/env bash
# LXQt 1.2: lxqt-panel with its "statusnotifier" plugin alone on a top panel,
# under Xvfb with openbox, on a private session bus (the panel is the
# StatusNotifierWatcher itself).
#
#   tools/panels/lxqt.sh build/kelvora OUTDIR [panel-first|program-first]
#
# Without a mode both orders run, into OUTDIR/panel-first and OUTDIR/program-first.
# Packages: lxqt-panel openbox xvfb xdotool x11-utils imagemagick dbus
source "$(dirname "$0")/lib.sh" "$@"
[ -n "${3:-}" ] || panels_each_mode panel-first program-first
MODE=$3
panels_need Xvfb lxqt-panel openbox xdotool xwininfo import compare dbus-run-session
panels_session_bus "$@"
panels_setup
panels_x_hooks
panels_icon_hook() { panels_x_icon_hook; }
PANELS_STRIP="0 0 1024 32"

mkdir -p "$XDG_CONFIG_HOME/lxqt"
cat >"$XDG_CONFIG_HOME/lxqt/panel.conf" <<'CONF'
[General]
__userfile__=true
panels=panel1

[panel1]
alignment=-1
hidable=false
lineCount=1
lockPanel=true
panelSize=32
iconSize=22
plugins=statusnotifier
position=Top
width=100
widthPercent=true

[statusnotifier]
type=statusnotifier
CONF

panels_xvfb 1024x768
panels_spawn openbox >"$PANELS_WORK/openbox.log" 2>&1
sleep 1
export QT_QPA_PLATFORM=xcb
start_panel() {
  panels_spawn env QT_QPA_PLATFORM=xcb lxqt-panel >"$PANELS_WORK/panel.log" 2>&1
  panels_wait 20 bash -c 'xwininfo -root -tree | grep -q "\"lxqt-panel\""' || panels_fail "lxqt-panel did not start"
  sleep 2
}
panels_start_in_order "$MODE"
panels_tour
