#!/usr/bin/env bash
# GNOME Shell 43, headless (a 1024x768 virtual monitor), with the AppIndicator
# extension (ubuntu-appindicators@ubuntu.com), on a private session bus and a
# second private bus as the system bus. A one-line extension of our own turns
# on the shell's unsafe mode, so its Eval (a Clutter virtual pointer and
# keyboard click and type) and its screenshot call answer.
#
#   tools/panels/gnome.sh build/kelvora OUTDIR [native|xwayland]
#
# native: the program as a Wayland client (qt6-wayland); xwayland: as an X
# client of the shell's XWayland. Without a mode both run.
# Packages: gnome-shell gnome-shell-extension-appindicator xwayland qt6-wayland dbus
source "$(dirname "$0")/lib.sh" "$@"
[ -n "${3:-}" ] || panels_each_mode native xwayland
MODE=$3
panels_need gnome-shell gdbus gsettings dbus-daemon dbus-run-session
panels_session_bus "$@"
panels_setup

# The system bus: the shell asks its login manager and accounts there, and
# must not reach the machine's real ones.
cat >"$PANELS_WORK/system-bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$PANELS_WORK/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/><allow own="*"/><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/>
  </policy>
</busconfig>
CONF
panels_spawn dbus-daemon --nofork --config-file="$PANELS_WORK/system-bus.conf"
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$PANELS_WORK/system_bus_socket
panels_wait 10 test -S "$PANELS_WORK/system_bus_socket" || panels_fail "no system bus"

ext=$XDG_DATA_HOME/gnome-shell/extensions/unsafe-mode@kelvora.local
mkdir -p "$ext"
cat >"$ext/metadata.json" <<'JSON'
{ "uuid": "unsafe-mode@kelvora.local", "name": "Unsafe mode", "description": "Eval and screenshots for scripts",
  "shell-version": ["43"] }
JSON
cat >"$ext/extension.js" <<'JS'
function init() { return { enable() { global.context.unsafe_mode = true; }, disable() {} }; }
JS
gsettings set org.gnome.shell disable-user-extensions false
gsettings set org.gnome.shell enabled-extensions "['ubuntu-appindicators@ubuntu.com', 'unsafe-mode@kelvora.local']"
gsettings set org.gnome.shell welcome-dialog-last-shown-version '999'
# No banners (root, unsafe mode, no screen lock) over the top bar's menus.
gsettings set org.gnome.desktop.notifications show-banners false

panels_spawn gnome-shell --headless --wayland --virtual-monitor 1024x768 >"$PANELS_WORK/shell.log" 2>&1

shell_eval() {
  gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell --method org.gnome.Shell.Eval "$1"
}
# The result of an Eval, the string without its quotes; fails when it failed.
shell_value() {
  local out
  out=$(shell_eval "$1" 2>/dev/null) || return 1
  [[ "$out" == "(true,"* ]] || return 1
  out=${out#(true, \'}
  out=${out%\')}
  # Strings come back as JSON: in double quotes.
  out=${out#\"}
  echo "${out%\"}"
}
panels_wait 60 shell_value 'global.context.unsafe_mode' || panels_fail "the shell did not start in unsafe mode (see $PANELS_WORK/shell.log)"
shell_value 'Main.overview.hide(); Main.layoutManager.emit("startup-complete"); 1' >/dev/null || true
sleep 2

# Input: a virtual pointer and keyboard the shell makes for us.
shell_value '
const Clutter = imports.gi.Clutter;
const seat = Clutter.get_default_backend().get_default_seat();
global._kelvoraPointer = seat.create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE);
global._kelvoraKeys = seat.create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE);
1' >/dev/null || panels_fail "no virtual input devices"
panels_shot_hook() {
  gdbus call --session --dest org.gnome.Shell.Screenshot --object-path /org/gnome/Shell/Screenshot \
    --method org.gnome.Shell.Screenshot.Screenshot false false "$1" >/dev/null
}
panels_click_hook() {
  local button=1
  [ "$3" = 3 ] && button=3
  shell_value "global._kelvoraPointer.notify_absolute_motion(imports.gi.GLib.get_monotonic_time(), $1, $2); 1" >/dev/null
  sleep 0.15
  shell_value "global._kelvoraPointer.notify_button(imports.gi.GLib.get_monotonic_time(), $button, imports.gi.Clutter.ButtonState.PRESSED); 1" >/dev/null
  sleep 0.06
  shell_value "global._kelvoraPointer.notify_button(imports.gi.GLib.get_monotonic_time(), $button, imports.gi.Clutter.ButtonState.RELEASED); 1" >/dev/null
}
panels_key_hook() {
  local sym=$1
  shell_value "const C = imports.gi.Clutter; const t = imports.gi.GLib.get_monotonic_time();
global._kelvoraKeys.notify_keyval(t, C.KEY_$sym, C.KeyState.PRESSED);
global._kelvoraKeys.notify_keyval(t + 50000, C.KEY_$sym, C.KeyState.RELEASED); 1" >/dev/null
}
# The extension's button for the item in the top bar.
panels_icon_hook() {
  shell_value '
const Main = imports.ui.main;
let r = "";
for (const [k, a] of Object.entries(Main.panel.statusArea)) {
  if (!k.startsWith("appindicator")) continue;
  const [x, y] = a.get_transformed_position(); const [w, h] = a.get_transformed_size();
  if (w > 0 && h > 0) r = [Math.round(x), Math.round(y), Math.round(w), Math.round(h)].join(" ");
}
r' 2>/dev/null || true
}

if [ "$MODE" = xwayland ]; then
  export QT_QPA_PLATFORM=xcb
  DISPLAY=$(shell_value 'imports.gi.GLib.getenv("DISPLAY")') || panels_fail "the shell has no XWayland"
  XAUTHORITY=$(shell_value 'imports.gi.GLib.getenv("XAUTHORITY")') || true
  # As in a real Wayland session, where every program has both.
  export DISPLAY XAUTHORITY WAYLAND_DISPLAY=wayland-0
else
  export QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=wayland-0
  [ -S "$XDG_RUNTIME_DIR/wayland-0" ] || panels_fail "no Wayland socket in $XDG_RUNTIME_DIR"
fi
panels_start_kelvora
panels_wait_icon
# The shell starts in its overview, with a banner about the unsafe mode.
shell_value 'Main.overview.hide(); Main.messageTray._hideNotification?.(false); 1' >/dev/null || true
sleep 3
panels_tour
