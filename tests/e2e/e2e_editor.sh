#!/usr/bin/env bash
# The person editor, the settings dialog and the about window from the tray
# menu: a person added and changed shows in the menu and the file; new periods
# reach the file; start at login creates and removes the autostart entry; the
# tray menu still opens while the settings or the about window are shown.
source "$(dirname "$0")/lib.sh" "$1"

EDITOR_SIZE=257x89
SETTINGS_SIZE=201x163
ABOUT_SIZE=273x73
ENTRY=$XDG_CONFIG_HOME/autostart/Kelvora.desktop

# expect_caption WINDOW TEXT: the desktop may add the program's name after it.
expect_caption() {
  local title
  title=$(xdotool getwindowname "$1")
  [[ "$title" == "$2" || "$title" == "$2 "* ]] || e2e_fail "caption: $title"
}

e2e_write_ini "H23,6884368" "E28,42612413" "I33,16381152" "[Анна]" 7 11 1984 0 12
e2e_start
e2e_wait_tray_icon

e2e_open_menu 1 || e2e_fail "menu did not open"
menu_before=$E2E_WIN_SIZE
e2e_close_menu

# "Добавить..." stands below the one person.
e2e_open_menu 1 || e2e_fail "menu did not open"
before=$(e2e_window_ids) || true
e2e_keys Down Down Return
e2e_wait_window "$EDITOR_SIZE" "$before" || e2e_fail "the editor did not open"
editor=$E2E_WIN
expect_caption "$editor" "Добавление записи"
# With no window manager the keys go to the window under the pointer.
e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 110 18
sleep 0.3
xdotool type --delay 80 "Boris Petrov"
# Picture: three faces down; the date picker takes the date section by section; then "PM".
e2e_keys Tab Down Down Down Tab
xdotool type --delay 80 "07111984"
e2e_keys Tab p
sleep 0.3
e2e_shot 01-editor-filled
import -window "$editor" "$E2E_OUT/editor-window.png"
e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 133 72 # "Сохранить"
e2e_wait_window_gone "$editor" || e2e_fail "the editor stayed open after the save"

expected=$(printf '%s\n' "H23,6884368" "E28,42612413" "I33,16381152" "[Анна]" 7 11 1984 0 12 \
  "[Boris Petrov]" 7 11 1984 1 3)
e2e_wait_for 5 bash -c "iconv -f WINDOWS-1251 -t UTF-8 <'$E2E_INI' | grep -q 'Boris Petrov'" ||
  e2e_fail "the new person is not in the file"
[ "$(e2e_read_ini)" = "$expected" ] || e2e_fail "settings file after the add: $(e2e_read_ini)"
e2e_ini_is_crlf || e2e_fail "the settings file lost its CR LF line ends"

# The menu grew by one person, and the top person is the new one: its
# "Изменить..." opens the record that changes in the file.
e2e_open_menu 1 || e2e_fail "menu did not open after the add"
[ "$E2E_WIN_SIZE" != "$menu_before" ] || e2e_fail "the menu did not grow: $E2E_WIN_SIZE"
e2e_shot 02-menu-with-new-person
before=$(e2e_window_ids) || true
e2e_keys Down Right Up Up Return
e2e_wait_window "$EDITOR_SIZE" "$before" || e2e_fail "the editor did not open for a change"
editor=$E2E_WIN
expect_caption "$editor" "Изменение записи"
e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 110 18
sleep 0.3
e2e_keys End
xdotool type --delay 80 " Jr"
e2e_shot 03-editor-change
e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 133 72
e2e_wait_window_gone "$editor" || e2e_fail "the editor stayed open after the change"
expected=$(printf '%s\n' "H23,6884368" "E28,42612413" "I33,16381152" "[Анна]" 7 11 1984 0 12 \
  "[Boris Petrov Jr]" 7 11 1984 1 3)
e2e_wait_for 5 bash -c "iconv -f WINDOWS-1251 -t UTF-8 <'$E2E_INI' | grep -q 'Boris Petrov Jr'" ||
  e2e_fail "the change is not in the file: $(e2e_read_ini)"
[ "$(e2e_read_ini)" = "$expected" ] || e2e_fail "settings file after the change: $(e2e_read_ini)"

# "Параметры..." -> "Настройки": two people, "Добавить...", then "Параметры...".
open_settings() {
  e2e_open_menu 1 || e2e_fail "menu did not open for the settings"
  before=$(e2e_window_ids) || true
  e2e_keys Down Down Down Down Right Down Down Down Return
  e2e_wait_window "$SETTINGS_SIZE" "$before" || e2e_fail "the settings dialog did not open"
  settings=$E2E_WIN
  expect_caption "$settings" "Настройки"
}
# e2e_replace_field DX DY TEXT: select a field's text and type over it.
replace_field() {
  e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" "$1" "$2"
  sleep 0.2
  xdotool key ctrl+a
  xdotool type --delay 80 "$3"
}

[ ! -e "$ENTRY" ] || e2e_fail "an autostart entry exists before the test"
open_settings
replace_field 150 58 "25,5" # physical
replace_field 150 82 "30"   # emotional
e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 24 16 # "Запускать при старте"
sleep 0.3
e2e_shot 04-settings
import -window "$settings" "$E2E_OUT/settings-window.png"
settings_x=$E2E_WIN_X
settings_y=$E2E_WIN_Y
e2e_open_menu 1 || e2e_fail "the menu did not open while the settings were shown"
e2e_close_menu
e2e_click_at "$settings_x" "$settings_y" 77 146 # "Сохранить"
e2e_wait_window_gone "$settings" || e2e_fail "the settings dialog stayed open"
e2e_wait_for 5 bash -c "iconv -f WINDOWS-1251 -t UTF-8 <'$E2E_INI' | head -n1 | grep -q 'H25,5'" ||
  e2e_fail "the periods are not in the file: $(e2e_read_ini)"
[ "$(e2e_read_ini | head -n3)" = "$(printf '%s\n' H25,5 E30 I33,16381152)" ] ||
  e2e_fail "periods in the file: $(e2e_read_ini | head -n3)"
[ -f "$ENTRY" ] || e2e_fail "no autostart entry at $ENTRY"
grep -qx "Exec=$E2E_APP" "$ENTRY" || e2e_fail "autostart entry: $(cat "$ENTRY")"

# Opened again the box shows the entry; unchecked and saved, the entry goes.
open_settings
sleep 0.3
e2e_shot 05-settings-again
e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 24 16
e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 77 146
e2e_wait_window_gone "$settings" || e2e_fail "the settings dialog stayed open"
e2e_wait_for 5 bash -c "[ ! -e '$ENTRY' ]" || e2e_fail "the autostart entry is still there"
[ "$(e2e_read_ini | head -n3)" = "$(printf '%s\n' H25,5 E30 I33,16381152)" ] ||
  e2e_fail "periods changed by the second save: $(e2e_read_ini | head -n3)"

# "О программе..." opens the about window; a click closes it.
e2e_open_menu 1 || e2e_fail "menu did not open for the about window"
before=$(e2e_window_ids) || true
e2e_keys Down Down Down Down Right Down Down Return
e2e_wait_window "$ABOUT_SIZE" "$before" || e2e_fail "the about window did not open"
about=$E2E_WIN
about_x=$E2E_WIN_X
about_y=$E2E_WIN_Y
sleep 0.3
import -window "$about" "$E2E_OUT/about-window.png"
# The menu opens over it.
e2e_open_menu 3 || e2e_fail "the menu did not open while the about window was shown"
e2e_close_menu
e2e_click_at "$about_x" "$about_y" 200 40
e2e_wait_window_gone "$about" || e2e_fail "a click did not close the about window"

e2e_kelvora_running || e2e_fail "the program ended"
e2e_log "PASS"
