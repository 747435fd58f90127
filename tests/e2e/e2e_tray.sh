#!/usr/bin/env bash
# The real program in the tray: icon, menu on either button, delete with
# confirmation (the menu still opens while it asks), one copy only, exit with
# confirmation; a family longer than the screen in a menu that stays on the
# screen and scrolls to everyone.
E2E_SCREEN=1024x768
source "$(dirname "$0")/lib.sh" "$1"

PERIODS=("H23,6884368" "E28,42612413" "I33,16381152")
e2e_write_ini "${PERIODS[@]}" \
  "[Анна]" 7 11 1984 0 12 \
  "[Борис]" 31 12 1950 1 0 \
  "[Вера]" 1 3 2001 0 20

e2e_start
e2e_wait_tray_icon
e2e_shot 01-icon

# Either button opens the menu: people from the last in the file down, then the fixed part.
e2e_open_menu 1 || e2e_fail "a left click opened no menu"
e2e_shot 02-menu-left-click
e2e_close_menu
e2e_open_menu 3 || e2e_fail "a right click opened no menu"
e2e_shot 03-menu-right-click
e2e_close_menu

# A second copy ends at once, silently; the first keeps running with its icon.
start=$(date +%s)
status=0
(cd "$E2E_WORK" && timeout 15 "$E2E_APP") >"$E2E_WORK/second.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || e2e_fail "the second copy ended with status $status"
(($(date +%s) - start < 5)) || e2e_fail "the second copy took too long to end"
e2e_kelvora_running || e2e_fail "the first copy ended"
e2e_has_tray_icon || e2e_fail "the first copy lost its icon"

# Delete "Борис" (second from the top) and answer "Да".
e2e_open_menu 1 || e2e_fail "no menu for the delete"
e2e_keys Down Down Right Up
e2e_shot 04-delete-item
e2e_keys Return
e2e_wait_confirm || e2e_fail "no confirmation for the delete"
box=$E2E_WIN
box_x=$E2E_WIN_X
box_y=$E2E_WIN_Y
e2e_shot 05-delete-question
# The question leaves the icon live.
e2e_open_menu 1 || e2e_fail "the menu did not open while the delete question was shown"
e2e_shot 05-menu-over-question
e2e_close_menu
e2e_click_at "$box_x" "$box_y" 77 44 # "Да"
e2e_wait_window_gone "$box" || e2e_fail "the confirmation stayed open"
e2e_wait_for 5 bash -c "! iconv -f WINDOWS-1251 -t UTF-8 <'$E2E_INI' | grep -q Борис" ||
  e2e_fail "Борис is still in the settings file"
expected=$(printf '%s\n' "${PERIODS[@]}" "[Анна]" 7 11 1984 0 12 "[Вера]" 1 3 2001 0 20)
[ "$(e2e_read_ini)" = "$expected" ] || e2e_fail "settings file after the delete: $(e2e_read_ini)"
e2e_ini_is_crlf || e2e_fail "the settings file lost its CR LF line ends"
e2e_open_menu 3 || e2e_fail "no menu after the delete"
e2e_shot 06-menu-after-delete
e2e_close_menu

# "Выход!" (the last item) and "Да": the program ends and takes its icon along.
e2e_open_menu 3 || e2e_fail "no menu for the exit"
e2e_keys Up
e2e_shot 07-exit-item
e2e_keys Return
e2e_wait_confirm || e2e_fail "no confirmation for the exit"
e2e_shot 08-exit-question
e2e_confirm_yes
e2e_wait_kelvora_exit 10 || e2e_fail "the program did not end"
[ "$E2E_EXIT_STATUS" -eq 0 ] || e2e_fail "the program ended with status $E2E_EXIT_STATUS"
e2e_wait_for 5 bash -c "! xwininfo -root -tree 2>/dev/null | grep -q '(\"kelvora\" '" || e2e_fail "a window of the program is left"
e2e_has_tray_icon && e2e_fail "the tray icon is still there"
e2e_shot 09-ended

# 250 people: the menu fits on the screen, one column that scrolls.
lines=("${PERIODS[@]}")
for ((i = 0; i < 250; i++)); do lines+=("[Человек $i]" $((1 + i % 28)) $((1 + i % 12)) 1980 0 $((i % 32))); done
e2e_write_ini "${lines[@]}"
e2e_start_kelvora
e2e_wait_tray_icon
e2e_open_menu 1 || e2e_fail "no menu for the long family"
read -r menu_w menu_h <<<"${E2E_WIN_SIZE/x/ }"
menu_x=$E2E_WIN_X
menu_y=$E2E_WIN_Y
((menu_x >= 0 && menu_y >= 0 && menu_x + menu_w <= 1024 && menu_y + menu_h <= 768 && menu_w < 400)) ||
  e2e_fail "the menu does not fit on the screen: ${E2E_WIN_SIZE} at $menu_x,$menu_y"
e2e_shot 10-long-family

# Keys: Up chooses "Выход!" in sight; up past the fixed part to the person
# just above it, the first in the file, whose "Удалить" deletes just her.
e2e_keys Up
e2e_shot 11-long-family-exit-chosen
e2e_keys Up Up Up Right Up
e2e_shot 12-long-family-first-person
e2e_keys Return
e2e_wait_confirm || e2e_fail "no delete question for the first person"
e2e_confirm_yes
e2e_wait_window_gone "$E2E_WIN" || e2e_fail "the delete question stayed open"
e2e_wait_for 5 bash -c "! iconv -f WINDOWS-1251 -t UTF-8 <'$E2E_INI' | grep -qx '\[Человек 0\]'" ||
  e2e_fail "the first person is still in the file"
[ "$(e2e_read_ini | grep -c '^\[')" = 249 ] || e2e_fail "not exactly one person left the file"

# The mouse: resting on the lower scroll arrow and the wheel take the menu to
# its end, where "Выход!" is the last item; a click on it asks to end.
e2e_open_menu 1 || e2e_fail "no menu for the exit by the mouse"
xdotool mousemove $((menu_x + menu_w / 2)) $((menu_y + menu_h - 3))
xdotool click --repeat 250 --delay 10 5
sleep 1
e2e_shot 13-long-family-scrolled
xdotool mousemove $((menu_x + menu_w / 2)) $((menu_y + menu_h - 12))
sleep 0.3
xdotool click 1
e2e_wait_confirm || e2e_fail "no exit question after a click on the last item"
e2e_confirm_yes
e2e_wait_kelvora_exit 10 || e2e_fail "the program did not end after the exit by the mouse"
e2e_log "PASS"
