# Sourced by sway.sh in its "windows" mode, with the program native on sway:
# opens every window the menu's commands open, through the program's own
# menu (the panel's left click sends Activate and the program pops its menu),
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

# The menu's rows as the program draws them (22 pixels an item, 2 a
# separator): the centre of a row, down from the top of the menu's window.
# Main menu: Борис 11, Анна 33, Добавить... 57, Параметры... 81, Выход! 103.
# A person's: На экран 11, На принтер 33, MS Excel 55, В файл... 77,
# Био-партнёр 101, Изменить... 125, Удалить 147. Параметры...: Письмо
# автору 11, Страничка автора 33, О программе... 55, Настройки 79.
#
# open_by_menu NAME MAIN_ROW [SUB_ROW]: a left click on the icon opens the
# menu (sway makes it a window of its own), a click on its row, then on the
# submenu's row.
open_by_menu() {
  local name=$1 main=$2 sub=${3:-} before origin
  before=$(window_ids)
  panels_click_hook "$PANELS_ICON_CX" "$PANELS_ICON_CY" 1
  # Time for sway to give the menu's window its tiled size: a submenu opened
  # before is placed against the size the window had.
  sleep 3
  origin=$(new_window_origin "$before")
  [ -n "$origin" ] || { panels_log "$name: no menu window"; return 0; }
  panels_shot "w-$name-1-menu"
  before=$(window_ids)
  panels_click_hook $((${origin% *} + 50)) $((${origin#* } + main)) 1
  sleep 1.5
  if [ -n "$sub" ]; then
    # The submenu is a popup of the menu's window, its first row level with
    # the row that opened it, its items from 210 pixels across.
    panels_shot "w-$name-2-submenu"
    panels_click_hook $((${origin% *} + 210)) $((${origin#* } + main + sub - 11)) 1
    sleep 2
  fi
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
  open_by_menu calendar 11 11
  close_all
  open_by_menu editor 57
  close_all
  open_by_menu settings 81 79
  close_all
  open_by_menu about 81 55
  close_all
  open_by_menu comparison 11 101
  close_all
fi
open_by_menu month 11 33
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
