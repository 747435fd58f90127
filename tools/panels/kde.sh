#!/usr/bin/env bash
# KDE Plasma 5.27 (Wayland): kwin_wayland as a 1024x768 window inside Xvfb
# (software rendering, with its XWayland), kactivitymanagerd, kded5 (it holds
# the StatusNotifierWatcher) and plasmashell with its first-start layout (a
# bottom panel with the system tray), on a private session bus. Clicks and
# keys go to kwin's window on the Xvfb display through xdotool, screenshots
# come from that display.
#
#   tools/panels/kde.sh build/kelvora OUTDIR [native|xwayland]
#
# native: the program as a Wayland client of kwin (qt6-wayland); xwayland:
# as an X client of kwin's XWayland. Without a mode both run.
# Debian's kwin_wayland carries a file capability (CAP_SYS_NICE) that a
# container refuses to execute; a plain copy of it, without the capability, runs.
# Packages: kwin-wayland plasma-workspace plasma-desktop kded5 kactivitymanagerd
#           qtwayland5 xwayland qt6-wayland xvfb xdotool x11-utils imagemagick dbus
source "$(dirname "$0")/lib.sh" "$@"
[ -n "${3:-}" ] || panels_each_mode native xwayland
MODE=$3
panels_need kwin_wayland plasmashell kded5 Xvfb xdotool import compare dbus-run-session
panels_session_bus "$@"
panels_setup

panels_xvfb 1024x768
HOST_DISPLAY=$DISPLAY
cp /usr/bin/kwin_wayland "$PANELS_WORK/kwin_wayland"
cat >"$PANELS_WORK/kwin-env.sh" <<EOF
#!/bin/sh
env >"$PANELS_WORK/kwin.env.tmp" && mv "$PANELS_WORK/kwin.env.tmp" "$PANELS_WORK/kwin.env"
exec sleep 100000
EOF
chmod +x "$PANELS_WORK/kwin-env.sh"
export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5 XDG_SESSION_TYPE=wayland
export KWIN_COMPOSE=Q LIBGL_ALWAYS_SOFTWARE=1 QT_QUICK_BACKEND=software
panels_spawn env -u QT_QPA_PLATFORM "$PANELS_WORK/kwin_wayland" --x11-display "$HOST_DISPLAY" --width 1024 --height 768 \
  --socket wayland-kde --xwayland --no-lockscreen "$PANELS_WORK/kwin-env.sh" >"$PANELS_WORK/kwin.log" 2>&1
panels_wait 40 test -s "$PANELS_WORK/kwin.env" || panels_fail "kwin_wayland did not start (see $PANELS_WORK/kwin.log)"
KWIN_X_DISPLAY=$(sed -n 's/^DISPLAY=//p' "$PANELS_WORK/kwin.env")
export WAYLAND_DISPLAY=wayland-kde

kbuildsycoca5 >/dev/null 2>&1 || true
libexec=/usr/lib/x86_64-linux-gnu/libexec
panels_spawn env QT_QPA_PLATFORM=wayland DISPLAY="$KWIN_X_DISPLAY" "$libexec/kactivitymanagerd" >"$PANELS_WORK/kactivitymanagerd.log" 2>&1
panels_spawn env QT_QPA_PLATFORM=wayland DISPLAY="$KWIN_X_DISPLAY" kded5 >"$PANELS_WORK/kded5.log" 2>&1
panels_wait 30 dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
  org.freedesktop.DBus.GetNameOwner string:org.kde.StatusNotifierWatcher || panels_fail "kded5 holds no StatusNotifierWatcher"
panels_spawn env QT_QPA_PLATFORM=wayland DISPLAY="$KWIN_X_DISPLAY" plasmashell --no-respawn >"$PANELS_WORK/plasmashell.log" 2>&1

DISPLAY=$HOST_DISPLAY
panels_x_hooks
panels_shot_hook() { import -window root "$1"; }
panels_key_hook() {
  xdotool mousemove "${PANELS_KEY_X:-512}" "${PANELS_KEY_Y:-300}" 2>/dev/null || true
  xdotool key "$1"
}
PANELS_STRIP="0 700 1024 68"
# The tray puts a new item left of the ones it has and moves them right: the
# changed strip starts with the item, as wide as it is high.
panels_icon_hook() {
  local x y w h
  read -r x y w h <<<"$(panels_x_icon_hook)"
  [ -n "$h" ] || return 0
  ((w > h)) && w=$h
  echo "$x $y $w $h"
}
# The panel is up when the bottom strip stops changing.
sleep 15
for _ in $(seq 1 30); do
  panels_shot_hook "$PANELS_WORK/a.png"
  sleep 2
  panels_shot_hook "$PANELS_WORK/before.png"
  [ "$(compare -metric AE "$PANELS_WORK/a.png" "$PANELS_WORK/before.png" null: 2>&1)" = 0 ] && break
done
cp "$PANELS_WORK/before.png" "$PANELS_OUT/00-desktop.png"

if [ "$MODE" = xwayland ]; then
  export QT_QPA_PLATFORM=xcb
else
  export QT_QPA_PLATFORM=wayland
fi
export DISPLAY=$KWIN_X_DISPLAY
panels_start_kelvora
export DISPLAY=$HOST_DISPLAY
panels_wait_icon
sleep 1
panels_tour
