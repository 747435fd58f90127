#!/usr/bin/env bash
# "Био-партнёр" from the tray menu: the comparison window opens with four
# empty fields, one step of the date spinner fills all four, "Ok" shows the
# same again and keeps the window open, the tray menu still opens meanwhile,
# Esc closes it.
source "$(dirname "$0")/lib.sh" "$1"
command -v compare >/dev/null || { echo "SKIP: compare is not installed" >&2; exit 77; }

FORM10_SIZE=257x193
e2e_write_ini "H23" "E28" "I33" "[Анна]" 20 5 1980 0 4
e2e_start
e2e_wait_tray_icon

# The window's picture, and the inside of result field k (0 physical .. 3 total)
# cut out of it: the group box is at 8,32, the fields at 128,16+24k, 105 x 21.
window_shot() { import -window "$form" "$E2E_OUT/$1.png"; }
field() {
  convert "$E2E_OUT/$1.png" -crop "97x15+$((8 + 128 + 4))+$((32 + 16 + 24 * $2 + 3))" +repage \
    -colorspace Gray "$E2E_OUT/$1-field$2.png"
}
# 1 when the field shows nothing, less when it holds dark text.
field_blank() { convert "$E2E_OUT/$1-field$2.png" -threshold 50% -format '%[fx:mean]' info:; }
all_fields() {
  local k
  for k in 0 1 2 3; do field "$1" "$k"; done
}
same_fields() {
  local k
  for k in 0 1 2 3; do
    [ "$(compare -metric AE "$E2E_OUT/$1-field$k.png" "$E2E_OUT/$2-field$k.png" null: 2>&1)" = 0 ] || return 1
  done
}

# "Био-партнёр": three up from the bottom of the person's submenu.
e2e_open_menu 1 || e2e_fail "menu did not open"
before=$(e2e_window_ids) || true
e2e_keys Down Right Up Up Up Return
E2E_WAIT=15 e2e_wait_window "$FORM10_SIZE" "$before" || e2e_fail "the comparison window did not open"
form=$E2E_WIN
form_x=$E2E_WIN_X
form_y=$E2E_WIN_Y
# The desktop may add the program's name after the caption.
[[ "$(xdotool getwindowname "$form")" == "Сравнение биоритмов"* ]] || e2e_fail "caption: $(xdotool getwindowname "$form")"
sleep 0.5
e2e_shot 01-opened
window_shot opened
all_fields opened
for k in 0 1 2 3; do
  [ "$(field_blank opened $k)" = 1 ] || e2e_fail "field $k is not empty at opening"
done

# One step up in the day of the picker.
e2e_click_at "$form_x" "$form_y" $((152 + 8)) $((8 + 10))
sleep 0.2
xdotool key Up
sleep 0.5
e2e_shot 02-stepped
window_shot stepped
all_fields stepped
for k in 0 1 2 3; do
  [ "$(field_blank stepped $k)" != 1 ] || e2e_fail "field $k is still empty after a step"
done

# "Ok" computes the same again and leaves the window open.
e2e_click_at "$form_x" "$form_y" $((93 + 37)) $((162 + 10))
sleep 0.5
xwininfo -id "$form" | grep -q IsViewable || e2e_fail "\"Ok\" closed the window"
window_shot again
all_fields again
same_fields stepped again || e2e_fail "\"Ok\" changed the results"

# The tray menu is not held closed by this window.
e2e_open_menu 1 || e2e_fail "the tray menu did not open while the comparison was open"
e2e_shot 03-menu-meanwhile
e2e_close_menu

# Esc closes it; the program goes on.
xdotool mousemove $((form_x + 20)) $((form_y + 180)) click 1
xdotool key Escape
e2e_wait_window_gone "$form" || e2e_fail "Esc did not close the window"
e2e_kelvora_running || e2e_fail "the program ended"
e2e_log "ok"
