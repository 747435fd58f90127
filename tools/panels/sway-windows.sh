# Sourced by sway.sh in its "windows" mode, with the program native on sway:
# opens every window the menu's commands open, through waybar's menu drawn
# from the exported one (a left click shows it: the item is a menu),
# and notes what sway made of each: floating or tiled, its size;
# a screenshot of each.

# The program's windows in sway's tree, one a line:
#   ID floating|tiled WxH at X,Y content X,Y title=... app_id=...
sway_windows() {
  swaymsg -t get_tree | python3 -c '
import json, sys
pid = int(sys.argv[1])
def walk(node, floating):
    for child in node.get("nodes", []):
        yield from walk(child, False)
    for child in node.get("floating_nodes", []):
        yield from walk(child, True)
    if node.get("pid") == pid:
        yield node, floating
for node, floating in walk(json.load(sys.stdin), False):
    r, w = node["rect"], node["window_rect"]
    print("%d %s %dx%d at %d,%d content %d,%d title=%r app_id=%r" % (
        node["id"], "floating" if floating else "tiled", w["width"], w["height"], r["x"], r["y"],
        r["x"] + w["x"], r["y"] + w["y"], node.get("name"), node.get("app_id")))
' "$PANELS_KELVORA_PID"
}

# The window that is not in BEFORE (a list of ids): "X Y" of its content.
new_window_origin() {
  sway_windows | awk -v before=" $1 " 'index(before, " " $1 " ") == 0 { print $7; exit }' | tr , ' '
}
window_ids() { sway_windows | awk '{ printf " %s", $1 }'; }

# The menu as waybar draws it from the exported menu, its top-left under
# the pointer on the icon at the right end of the bar: rows 25 pixels apart
# (a separator adds 1), the main menu from x 818 to 1013, a submenu opening
# to its left (x 650 to 815), its first row level with the row that opened it.
# Main menu: Борис 32, Анна 57, Добавить... 83, Параметры... 109, Выход! 134.
# A person's (from 32): На экран 32, График 57, На принтер 82, MS Excel 107,
# В файл... 132, Био-партнёр 158, Изменить... 184, Удалить 209.
# Параметры... (from 109): Письмо автору 109, Страничка автора 134,
# О программе... 159, Настройки 185.
#
# open_by_menu NAME MAIN_ROW [SUB_ROW]: a left click on the icon opens
# waybar's menu, the pointer rests on the row (a submenu opens), then goes
# across to the submenu's row and clicks it.
pointer_to() { printf 'move %s %s\n' "$1" "$2" >&7; }
open_by_menu() {
  local name=$1 main=$2 sub=${3:-}
  panels_click_hook "$PANELS_ICON_CX" "$PANELS_ICON_CY" 1
  sleep 1.5
  pointer_to 880 $((main - 2)); sleep 0.3; pointer_to 885 "$main"; sleep 1.5
  panels_shot "w-$name-1-menu"
  if [ -n "$sub" ]; then
    pointer_to 760 "$main"; sleep 0.3; pointer_to 725 "$sub"; sleep 0.5
    panels_click_hook 725 "$sub" 1
  else
    panels_click_hook 885 "$main" 1
  fi
  sleep 2.5
  panels_shot "w-$name"
  panels_log "$name:"
  sway_windows | sed 's/^/    /' | tee -a "$PANELS_OUT/notes.txt" >&2
}

# Closes whatever the program has open.
close_all() {
  swaymsg "[pid=$PANELS_KELVORA_PID] kill" >/dev/null 2>&1 || true
  sleep 1.5
}

if [ -z "${PANELS_ONLY:-}" ]; then
  open_by_menu calendar 32 32
  close_all
  open_by_menu chart 32 57
  close_all
  open_by_menu workbook 32 107
  close_all
  open_by_menu textfile 32 132
  close_all
  open_by_menu comparison 32 158
  close_all
  open_by_menu editor 32 184
  close_all
  open_by_menu delete 32 209
  close_all
  open_by_menu add 83
  close_all
  open_by_menu about 109 159
  close_all
  open_by_menu settings 109 185
  close_all
fi
open_by_menu month 32 82
# "Сформировать" in the month choice (8,64 90x21 in its layout): the preview.
month=$(sway_windows | awk '$3 == "201x93" { print $7; exit }')
if [ -n "$month" ]; then
  panels_click_hook $((${month%,*} + 53)) $((${month#*,} + 74)) 1
  sleep 3
  panels_shot w-preview
  panels_log "preview:"
  sway_windows | sed 's/^/    /' | tee -a "$PANELS_OUT/notes.txt" >&2
  # The preview is resizable: sway's resize must take.
  swaymsg "[pid=$PANELS_KELVORA_PID title=\"Печать Биоритмов\"] resize set 640 480" >/dev/null 2>&1 || true
  sleep 1
  panels_log "preview after a resize to 640x480:"
  sway_windows | sed 's/^/    /' | tee -a "$PANELS_OUT/notes.txt" >&2
else
  panels_log "preview: the month choice was not found, no preview"
fi
close_all
swaymsg -t get_tree >"$PANELS_OUT/sway-tree.json" 2>/dev/null || true
kill -0 "$PANELS_KELVORA_PID" 2>/dev/null || panels_log "the program has ended"
panels_log "done; look at $PANELS_OUT/*.png"
