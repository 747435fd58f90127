#!/usr/bin/env bash
# The program on a real StatusNotifierItem panel, XFCE's status tray, started
# before the program as at login: the item hands the panel its menu (a D-Bus
# menu, and says the menu is all it has), so one left click on the icon shows
# the program's menu drawn by the panel next to the icon, and choosing
# "Параметры..." -> "О программе..." in it opens the program's about window;
# a person's submenu, which the panel reads when it opens, holds that
# person's commands, and "Удалить" there asks about that person; a right
# click shows the same menu. A panel that starts after the program (restarted
# here) gets the item again.
E2E_PANEL=xfce
E2E_SCREEN=1024x768
source "$(dirname "$0")/lib.sh" "$1"
command -v compare >/dev/null || { echo "SKIP: compare is not installed" >&2; exit 77; }

ABOUT_SIZE=273x73
e2e_write_ini "H23,6884368" "E28,42612413" "I33,16381152" "[Анна]" 7 11 1984 0 12 "[Борис]" 3 2 1950 1 0
e2e_start_x
sleep 1
import -window root -crop 1024x30+0+0 +repage "$E2E_WORK/panel-before.png"
e2e_start_kelvora
e2e_wait_sni_item
menu=$(e2e_sni get Menu)
[ -n "$menu" ] && [ "$menu" != /NO_DBUSMENU ] || e2e_fail "the item hands the panel no menu: Menu is '$menu'"
[ "$(e2e_sni get ItemIsMenu)" = 1 ] || e2e_fail "ItemIsMenu is $(e2e_sni get ItemIsMenu)"

# The icon: what the panel drew since the program started.
panel_icon() {
  import -window root -crop 1024x30+0+0 +repage "$E2E_WORK/panel-now.png"
  compare -metric AE -fuzz 10% "$E2E_WORK/panel-before.png" "$E2E_WORK/panel-now.png" \
    -compose Src -highlight-color white -lowlight-color black "$E2E_WORK/panel-diff.png" 2>/dev/null || true
  convert "$E2E_WORK/panel-diff.png" -format '%@' info: | grep -E '^[0-9]{2}x[0-9]+\+[0-9]+\+[0-9]+$'
}
e2e_wait_for 20 panel_icon >/dev/null || e2e_fail "no icon on the panel"
IFS='x+' read -r w h x y <<<"$(panel_icon)"
E2E_ICON_X=$x E2E_ICON_Y=$y E2E_ICON_W=$w E2E_ICON_H=$h
e2e_log "icon at $x,$y size ${w}x$h"

# Windows on the screen that are not the program's: the panel's menus (GTK
# also maps small helper windows off the screen, which are not).
viewable_windows() {
  xwininfo -root -children | awk '/^ +0x/ { print $1 }' | while read -r id; do
    if xwininfo -id "$id" 2>/dev/null | awk '/Map State: IsViewable/ { v = 1 } /Absolute upper-left X/ { x = $NF }
      /Absolute upper-left Y/ { y = $NF } /^ *Width:/ { w = $NF } END { exit !(v && x >= 0 && y >= 0 && w > 20) }'; then
      echo "$id"
    fi
  done
}
# e2e_panel_menu BUTTON: clicks the icon, waits for a new window of the panel
# next to the icon; PANEL_MENU is its id.
e2e_panel_menu() {
  local before
  before=$(viewable_windows)
  xdotool mousemove $((E2E_ICON_X + E2E_ICON_W / 2)) $((E2E_ICON_Y + E2E_ICON_H / 2))
  sleep 0.2
  xdotool click "$1"
  new_panel_window() {
    viewable_windows | grep -vxF -e "${before:-none}" | while read -r id; do
      xprop -id "$id" WM_CLASS 2>/dev/null | grep -q kelvora || echo "$id"
    done | head -n1 | grep .
  }
  e2e_wait_for 5 new_panel_window >/dev/null || return 1
  PANEL_MENU=$(new_panel_window)
  local mx my
  read -r mx my <<<"$(xwininfo -id "$PANEL_MENU" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } END { print x, y }')"
  # Next to the icon: its corner within a few icons of the icon's.
  ((mx < E2E_ICON_X + 100 && my < 60)) || e2e_fail "the menu opened at $mx,$my, away from the icon"
}

e2e_panel_menu 1 || e2e_fail "a left click showed no menu"
e2e_shot 01-left-click
[ -z "$(e2e_windows)" ] || e2e_fail "the program drew a window of its own: $(e2e_windows)"
before=$(e2e_window_ids)
# The family (2), "Добавить...", "Параметры..." -> "О программе...".
e2e_keys Down Down Down Down Right Down Down Return
e2e_wait_window "$ABOUT_SIZE" "$before" || e2e_fail "the panel's menu item did not open the about window"
e2e_shot 02-about
e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 200 40
e2e_wait_window_gone "$E2E_WIN" || e2e_fail "a click did not close the about window"

# Борис (at the top) -> "Удалить", the last of his commands.
e2e_panel_menu 1 || e2e_fail "no menu for Борис's commands"
before=$(e2e_window_ids)
e2e_keys Down Right
e2e_shot 03-person-commands
e2e_keys Down Down Down Down Down Down Down Return
e2e_wait_confirm "$before" || e2e_fail "«Удалить» in the panel's menu asked nothing"
e2e_shot 04-delete-question
e2e_confirm_no
e2e_wait_window_gone "$E2E_WIN" || e2e_fail "the question stayed open"
e2e_read_ini | grep -qx '\[Борис\]' || e2e_fail "Борис was deleted"

e2e_panel_menu 3 || e2e_fail "a right click showed no menu"
e2e_shot 05-right-click
xdotool key Escape
e2e_wait_window_gone "$PANEL_MENU" || e2e_fail "Esc did not close the panel's menu"

kill "$E2E_XFCE_PID"
wait "$E2E_XFCE_PID" 2>/dev/null || true
e2e_wait_for 10 bash -c '! xwininfo -root -tree | grep -q "(\"xfce4-panel\" "' || e2e_fail "the panel did not go"
e2e_start_xfce_panel
e2e_wait_for 20 panel_icon >/dev/null || e2e_fail "no icon on the panel started after the program"
e2e_panel_menu 1 || e2e_fail "no menu on the panel started after the program"
e2e_shot 06-panel-started-later
xdotool key Escape
e2e_kelvora_running || e2e_fail "the program ended"
e2e_log "PASS"
