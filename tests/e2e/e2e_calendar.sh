#!/usr/bin/env bash
# "На экран" from the tray menu: the calendar window of the current year opens
# at 590 x 420, the tray menu stays shut while it is open, Esc on the grid
# closes it and the menu opens again.
source "$(dirname "$0")/lib.sh" "$1"

CALENDAR_SIZE=590x420
YEAR=$(date +%Y)
e2e_write_ini "H23,6884368" "E28,42612413" "I33,16381152" "[Анна]" 15 3 1990 0 4
e2e_start
e2e_wait_tray_icon

# "На экран" is the first item of the person's submenu.
e2e_open_menu 1 || e2e_fail "menu did not open"
before=$(e2e_window_ids) || true
e2e_keys Down Right Return
E2E_WAIT=15 e2e_wait_window "$CALENDAR_SIZE" "$before" || e2e_fail "the calendar window did not open"
form=$E2E_WIN
form_x=$E2E_WIN_X
form_y=$E2E_WIN_Y
# The desktop may add the program's name after the caption.
title=$(xdotool getwindowname "$form")
[[ "$title" == "Биоритмы на $YEAR год" || "$title" == "Биоритмы на $YEAR год "* ]] || e2e_fail "caption: $title"
sleep 0.5
e2e_shot 01-calendar
import -window "$form" "$E2E_OUT/calendar-window.png"
e2e_log "window picture $E2E_OUT/calendar-window.png"

# While the window is open a click on the tray icon opens nothing.
before=$(e2e_window_ids) || true
xdotool mousemove $((E2E_ICON_X + E2E_ICON_W / 2)) $((E2E_ICON_Y + E2E_ICON_H / 2)) click 1
if E2E_WAIT=2 e2e_wait_window "" "$before"; then
  e2e_shot 02-menu-while-open
  e2e_fail "the tray menu opened while the calendar was open"
fi
xwininfo -id "$form" | grep -q IsViewable || e2e_fail "the calendar window went away"

# A click on a day cell (never a month name) gives the grid the keys; Esc closes.
e2e_click_at "$form_x" "$form_y" 200 100
sleep 0.3
xdotool key Escape
e2e_wait_window_gone "$form" || e2e_fail "Esc did not close the calendar window"
e2e_kelvora_running || e2e_fail "the program ended"

e2e_open_menu 1 || e2e_fail "the tray menu did not open after the calendar closed"
e2e_shot 03-menu-again
e2e_close_menu
e2e_log "ok"
