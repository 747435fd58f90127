#!/usr/bin/env bash
# XFCE 4.18: xfce4-panel with its "Status Tray" (systray) plugin alone on a top
# panel, under Xvfb, its settings read by xfconfd from a prepared
# xfce4-panel.xml on a private session bus.
#
#   tools/panels/xfce.sh build/kelvora OUTDIR [panel-first|program-first]
#
# Without a mode both orders run, into OUTDIR/panel-first and OUTDIR/program-first.
# Packages: xfce4-panel xvfb xdotool x11-utils imagemagick dbus
source "$(dirname "$0")/lib.sh" "$@"
[ -n "${3:-}" ] || panels_each_mode panel-first program-first
MODE=$3
panels_need Xvfb xfce4-panel xdotool xwininfo import compare dbus-run-session
panels_session_bus "$@"
panels_setup
panels_x_hooks
panels_icon_hook() { panels_x_icon_hook; }
PANELS_STRIP="0 0 1024 30"

conf=$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml
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
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray">
      <property name="square-icons" type="bool" value="true"/>
    </property>
  </property>
</channel>
XML

panels_xvfb 1024x768
export QT_QPA_PLATFORM=xcb
start_panel() {
  panels_spawn xfce4-panel --disable-wm-check >"$PANELS_WORK/panel.log" 2>&1
  panels_wait 20 bash -c 'xwininfo -root -tree | grep -q "\"xfce4-panel\""' || panels_fail "xfce4-panel did not start"
  sleep 2
}
panels_start_in_order "$MODE"
panels_tour
