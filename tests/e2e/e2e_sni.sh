#!/usr/bin/env bash
# The program on a StatusNotifierItem panel (KDE Plasma, GNOME's AppIndicator
# extension, waybar): a watcher on the session bus and no XEmbed tray. The
# item registers with the title "Лунофар" and the ordinary picture, turns to
# the balloons at the midnight that begins a birthday and when someone born
# today joins the family, and back when the birthday's person is deleted. It
# is a menu and exports the whole menu, which the panel draws: the same items,
# pictures and separators, greyed while the menu flag is cleared, brought up
# to date when the family or the day changes; a click on an item there runs
# the item's command. The panel's Activate and ContextMenu open the program's
# own menu at the place the panel gives, also while the about window or the
# delete question is shown; a second "Удалить" or "Выход!" meanwhile changes
# nothing.
E2E_PANEL=sni
source "$(dirname "$0")/lib.sh" "$1"
command -v compare >/dev/null || { echo "SKIP: compare is not installed" >&2; exit 77; }
[ -x "${KELVORA_TRAY_PICTURES:-}" ] || { echo "SKIP: KELVORA_TRAY_PICTURES names no program" >&2; exit 77; }
mkdir -p "$E2E_WORK/pictures"
"$KELVORA_TRAY_PICTURES" "$E2E_WORK/pictures" || e2e_fail "the reference pictures were not drawn"

ABOUT_SIZE=273x73
EDITOR_SIZE=257x89
CALENDAR_SIZE=590x420
# Борис's birthday is tomorrow, and a zone of our own lets tomorrow begin
# MIDNIGHT_IN seconds from now, while the program runs.
MIDNIGHT_IN=10
TZ=$(awk -v now="$(date -u +%s)" -v ahead="$MIDNIGHT_IN" \
  'BEGIN { o = (86400 - (now + ahead) % 86400) % 86400; printf "KLV-%02d:%02d:%02d", o / 3600, o % 3600 / 60, o % 60 }')
export TZ
BORN=$(date -d '+1 day' '+%-d %-m')
e2e_write_ini "H23,6884368" "E28,42612413" "I33,16381152" "[Анна]" 7 11 1984 0 12 "[Борис]" ${BORN% *} ${BORN#* } 1950 1 0
e2e_start
e2e_wait_sni_item
[ "$(e2e_sni get Title)" = "Лунофар" ] || e2e_fail "title: $(e2e_sni get Title)"
[ "$(e2e_sni picture "$E2E_WORK/pictures")" = ordinary ] || e2e_fail "not the ordinary picture: $(e2e_sni picture "$E2E_WORK/pictures")"

# The menu the panel draws is the program's own, item for item.
[ "$(e2e_sni get ItemIsMenu)" = 1 ] || e2e_fail "the item does not say it is a menu"
panel_menu() { e2e_sni menu "$E2E_WORK/pictures/menu"; }
person_commands='  На экран <command-6>
  График <command-10>
  На принтер <command-4>
  MS Excel <command-5>
  В файл... <command-7>
  -
  Био-партнёр <command-8>
  -
  Изменить... <command-3>
  Удалить <command-0>'
expected="Борис <people-00>
$person_commands
Анна <people-12>
$person_commands
-
Добавить... <heart>
-
Параметры... <wrench>
  Письмо автору <envelope>
  Страничка автора <house>
  О программе... <bubble>
  -
  Настройки <gear>
Выход! <exit>"
[ "$(panel_menu)" = "$expected" ] || e2e_fail "the panel's menu differs: $(diff <(echo "$expected") <(panel_menu))"
# A panel that reads the shape alone and opens no submenu it has no items for
# (GNOME's) gets every person's commands with it.
[ "$(e2e_sni shape)" = "10 10 0 0 0 5 0" ] || e2e_fail "the menu's shape: $(e2e_sni shape)"

# A click in the panel's menu runs the item's command: the about window,
# its item greyed meanwhile; "На экран" clears the menu flag, and the whole
# menu shows greyed and runs nothing until the calendar closes.
before=$(e2e_window_ids)
e2e_sni click "Параметры.../О программе..." || e2e_fail "no such item in the panel's menu"
e2e_wait_window "$ABOUT_SIZE" "$before" || e2e_fail "the panel's click did not open the about window"
grep -qx '  О программе... \[greyed\] <bubble>' <<<"$(panel_menu)" || e2e_fail "the about item is not greyed: $(panel_menu)"
e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 200 40
e2e_wait_window_gone "$E2E_WIN" || e2e_fail "a click did not close the about window"
menu_not_greyed() { ! grep -q greyed <<<"$(panel_menu)"; }
e2e_wait_for 5 menu_not_greyed || e2e_fail "the about item stayed greyed"
before=$(e2e_window_ids)
e2e_sni updated 20 greyed >"$E2E_WORK/greyed" &
listener=$!
e2e_wait_for 5 grep -q listening "$E2E_WORK/greyed" || e2e_fail "cannot listen to the menu"
e2e_sni click "Анна/На экран" || e2e_fail "no calendar item for Анна"
e2e_wait_window "$CALENDAR_SIZE" "$before" || e2e_fail "the panel's click did not open the calendar"
calendar=$E2E_WIN
# Panels that read no more than the shape after a change hear of the grey.
wait "$listener" || e2e_fail "the panel was not told that the items are greyed"
e2e_shot 01-calendar-from-panel
[ -z "$(grep -v -e '^ *-$' -e 'greyed' <<<"$(panel_menu)")" ] || e2e_fail "items not greyed under the calendar: $(panel_menu)"
e2e_sni click "Добавить..."
E2E_WAIT=1 e2e_wait_window "$EDITOR_SIZE" "$before" && e2e_fail "a greyed item opened the editor"
xdotool key Escape
e2e_wait_window_gone "$calendar" || e2e_fail "the calendar did not close"
e2e_wait_for 5 menu_not_greyed || e2e_fail "the menu stayed greyed"

# Midnight: Борис's birthday. It shuts an open menu, so it comes before
# the walks through the program's own menu.
sni_picture_is() {
  [ "$(/usr/bin/python3 "$E2E_LIB_DIR/sni.py" picture "$E2E_SNI_ITEM" "$E2E_WORK/pictures")" = "$1" ]
}
e2e_wait_for $((MIDNIGHT_IN + 15)) sni_picture_is birthday ||
  e2e_fail "no balloons after midnight: $(e2e_sni picture "$E2E_WORK/pictures")"
menu=$(panel_menu)
[ "${menu%%$'\n'*}" = "Борис <people-32>" ] || e2e_fail "no balloons in the panel's menu: ${menu%%$'\n'*}"

# The panel's left and right click where the panel draws no menu: the
# program's own menu, at the place the panel gives.
e2e_sni_open_menu Activate || e2e_fail "Activate opened no menu"
[ "$E2E_WIN_Y" -eq 10 ] && [ "$E2E_WIN_X" -le 700 ] && [ $((E2E_WIN_X + ${E2E_WIN_SIZE%x*})) -ge 700 ] ||
  e2e_fail "the menu is not at the panel's place (700,10): $E2E_WIN_SIZE at $E2E_WIN_X,$E2E_WIN_Y"
e2e_shot 02-menu-activate
e2e_close_menu
e2e_sni_open_menu ContextMenu || e2e_fail "ContextMenu opened no menu"
e2e_close_menu

# "Параметры..." -> "О программе...", then the menu again over the about window.
e2e_sni_open_menu ContextMenu || e2e_fail "no menu for the about window"
before=$(e2e_window_ids)
e2e_keys Down Down Down Down Right Down Down Return
e2e_wait_window "$ABOUT_SIZE" "$before" || e2e_fail "the about window did not open"
about=$E2E_WIN
about_x=$E2E_WIN_X
about_y=$E2E_WIN_Y
e2e_sni_open_menu Activate || e2e_fail "the menu did not open while the about window was shown"
e2e_shot 03-menu-over-about
e2e_close_menu
e2e_click_at "$about_x" "$about_y" 200 40
e2e_wait_window_gone "$about" || e2e_fail "a click did not close the about window"

# "Удалить" for Борис (at the top), then from the menu opened over the
# question "Удалить" for Анна and "Выход!": the box keeps asking about Борис.
e2e_sni_open_menu ContextMenu || e2e_fail "no menu for the delete"
e2e_keys Down Right Up Return
e2e_wait_confirm || e2e_fail "no delete question"
box=$E2E_WIN
box_x=$E2E_WIN_X
box_y=$E2E_WIN_Y
sleep 0.3
import -window "$box" "$E2E_OUT/question-asked.png"
e2e_sni_open_menu ContextMenu || e2e_fail "the menu did not open while the delete question was shown"
e2e_shot 04-menu-over-question
e2e_keys Down Down Right Up Return
sleep 0.5
e2e_sni_open_menu Activate || e2e_fail "the menu did not open again over the question"
e2e_keys Up Return
sleep 0.5
xwininfo -id "$box" | grep -q IsViewable || e2e_fail "the delete question went away"
import -window "$box" "$E2E_OUT/question-after.png"
[ "$(compare -metric AE "$E2E_OUT/question-asked.png" "$E2E_OUT/question-after.png" null: 2>&1)" = 0 ] ||
  e2e_fail "the open question changed"
e2e_sni updated 20 >"$E2E_WORK/updated" &
listener=$!
e2e_wait_for 5 grep -q listening "$E2E_WORK/updated" || e2e_fail "cannot listen to the menu"
e2e_click_at "$box_x" "$box_y" 77 44 # "Да"
e2e_wait_window_gone "$box" || e2e_fail "the question stayed open"
e2e_wait_for 5 bash -c "! iconv -f WINDOWS-1251 -t UTF-8 <'$E2E_INI' | grep -q Борис" || e2e_fail "Борис is still in the file"
e2e_read_ini | grep -qx '\[Анна\]' || e2e_fail "Анна was deleted"
e2e_wait_for 5 sni_picture_is ordinary || e2e_fail "the balloons stayed after Борис left"
wait "$listener" || e2e_fail "the panel was not told that the menu changed"
menu=$(panel_menu)
[ "${menu%%$'\n'*}" = "Анна <people-12>" ] || e2e_fail "the panel's menu still shows Борис"
e2e_kelvora_running || e2e_fail "the program ended"
e2e_wait_windows_none() { [ -z "$(e2e_windows)" ]; }
e2e_wait_for 5 e2e_wait_windows_none || e2e_fail "a window is left: $(e2e_windows)"

# Someone born today ("Добавить..." starts on today's date): the balloons.
e2e_sni_open_menu ContextMenu || e2e_fail "no menu for the add"
before=$(e2e_window_ids)
e2e_keys Down Down Return
e2e_wait_window "$EDITOR_SIZE" "$before" || e2e_fail "the editor did not open"
editor=$E2E_WIN
e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 110 18
xdotool type --delay 60 "Vera"
e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 133 72 # "Сохранить"
e2e_wait_window_gone "$editor" || e2e_fail "the editor stayed open"
e2e_wait_for 5 sni_picture_is birthday || e2e_fail "no balloons on a birthday: $(e2e_sni picture "$E2E_WORK/pictures")"
e2e_sni_open_menu Activate || e2e_fail "no menu after the add"
e2e_shot 05-menu-birthday
e2e_close_menu

# In a Wayland session the program opens no menu of its own: a click the
# panel asks it to handle is refused, and the panel draws the menu (KDE's).
kill "$E2E_KELVORA_PID"
e2e_wait_kelvora_exit 10 || e2e_fail "the program did not end"
WAYLAND_DISPLAY=wayland-none e2e_start_kelvora
e2e_wait_for 20 bash -c "/usr/bin/python3 '$E2E_LIB_DIR/sni.py' item | grep -q -- '-$E2E_KELVORA_PID-'" ||
  e2e_fail "the item did not come back"
E2E_SNI_ITEM=$(/usr/bin/python3 "$E2E_LIB_DIR/sni.py" item)
e2e_sni call Activate 700 10 2>"$E2E_WORK/refused" && e2e_fail "Activate was taken in a Wayland session"
grep -q UnknownMethod "$E2E_WORK/refused" || e2e_fail "Activate: $(cat "$E2E_WORK/refused")"
e2e_log "PASS"
