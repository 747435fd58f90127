#!/usr/bin/env bash
# What a screen reader reads: every window of the program opened from the
# tray menu and read through the accessibility bus with a real AT-SPI client
# (calendar, chart, editor, settings, month choice, preview, question,
# comparison, about); the comparison's date picker read over and over while it
# steps, and its results against `kelvora --compat` for the date it shows; a
# reader that asks for all properties at once (GetAll), whether it came before
# or after the program. The program must find the right texts there, and must
# still be running.
source "$(dirname "$0")/lib.sh" "$1"
[ -x /usr/libexec/at-spi-bus-launcher ] || { echo "SKIP: at-spi2-core is not installed" >&2; exit 77; }
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed" >&2; exit 77; }

YEAR=$(date +%Y)
MONTHS=(Январь Февраль Март Апрель Май Июнь Июль Август Сентябрь Октябрь Ноябрь Декабрь)
MONTH=${MONTHS[$(date +%-m) - 1]}
e2e_write_ini "H23,6884368" "E28,42612413" "I33,16381152" "[Анна]" 20 5 1980 0 4
# getall_probe: GetAll over and over is refused (Qt's own bridge reads past
# its arguments and may end the program); the program stays and still answers.
getall_probe() {
  /usr/bin/python3 "$E2E_LIB_DIR/atspi.py" getall "$E2E_KELVORA_PID" 40 >"$E2E_OUT/getall.txt" ||
    e2e_fail "no answer after GetAll: $(cat "$E2E_OUT/getall.txt")"
  e2e_kelvora_running || e2e_fail "GetAll ended the program"
  # Every GetAll refused alike, then the name read.
  [ "$(sed 's/ [0-9]*$//' "$E2E_OUT/getall.txt")" = $'org.freedesktop.DBus.Error.NotSupported\nName Лунофар' ] ||
    e2e_fail "GetAll answered: $(cat "$E2E_OUT/getall.txt")"
}

# The reader comes after the program: the bridge starts late.
e2e_start_x
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
e2e_start_kelvora
e2e_wait_tray_icon
e2e_start_accessibility
getall_probe

# read_window NAME KEYS SIZE: opens a window from the menu and keeps its tree
# in $TREE (also saved as NAME.txt).
read_window() {
  local name=$1 keys=$2 size=$3
  e2e_open_menu 1 || e2e_fail "no menu for the $name"
  local before
  before=$(e2e_window_ids)
  # shellcheck disable=SC2086
  e2e_keys $keys
  E2E_WAIT=15 e2e_wait_window "$size" "$before" || e2e_fail "the $name did not open"
  sleep 0.5
  TREE=$(e2e_accessible_tree) || e2e_fail "the $name could not be read"
  printf '%s\n' "$TREE" >"$E2E_OUT/$name.txt"
}
# expect TEXT...: each is a fixed string of the last tree read.
expect() {
  local text
  for text in "$@"; do
    grep -qF -- "$text" <<<"$TREE" || e2e_fail "not read out: $text (see $E2E_OUT)"
  done
}

# The menu as a screen reader follows it: the person's item, then the
# commands of her submenu.
e2e_open_menu 1 || e2e_fail "no menu to read"
/usr/bin/python3 "$E2E_LIB_DIR/atspi.py" focus "$E2E_KELVORA_PID" 4 >"$E2E_OUT/menu.txt" &
following=$!
sleep 1
e2e_keys Down Right Down
e2e_shot 01-menu
wait "$following" || e2e_fail "the menu could not be followed"
TREE=$(cat "$E2E_OUT/menu.txt")
expect "menu item 'Анна'" "menu item 'На экран'" "menu item 'График'"
e2e_keys Escape
e2e_close_menu

read_window calendar "Down Right Return" 590x420
# The grid is read as far as it is in view: the current month is.
expect "'Биоритмы на $YEAR год'" "table cell '$MONTH'" "table cell 'Здоровье'" "status bar 'Анна, к " \
  "'Справка'" "'Закрыть'"
e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 200 100
xdotool key Escape
e2e_wait_window_gone "$E2E_WIN" || e2e_fail "the calendar did not close"

# The chart: the chosen day's values and marks read as text, and read anew
# when the day moves.
read_window chart "Down Right Down Return" 784x512
expect "'Биоритмы: Анна'" "'График'" "label 'Анна, к $(date +%d.%m.%Y) Вы прожили "
e2e_shot 02-chart
import -window "$E2E_WIN" "$E2E_OUT/chart-window.png"
[ "$(grep -cE "label '(Здоровье|Эмоции|Интеллект): [-+]?[0-9]+%, «[K0+-]» [А-Яа-я ]+'" <<<"$TREE")" = 3 ] ||
  e2e_fail "the three values and marks are not read out"
xdotool key Right
sleep 0.5
TREE=$(e2e_accessible_tree) || e2e_fail "the chart could not be read again"
expect "label 'Анна, к $(date -d tomorrow +%d.%m.%Y) Вы прожили "
xdotool key Escape
e2e_wait_window_gone "$E2E_WIN" || e2e_fail "the chart did not close"

read_window editor "Down Right Up Up Return" 257x89
expect "'Изменение записи'" "'Имя' focused enabled text='Анна'" "'Дата рождения'" "text='20.05.1980'" \
  "combo box 'AM'" "combo box 'Картинка'" "'Сохранить'" "'Отмена'"
e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 213 72 # "Отмена"
e2e_wait_window_gone "$E2E_WIN" || e2e_fail "the editor did not close"

read_window settings "Down Down Down Right Down Down Down Return" 201x163
expect "'Настройки'" "'Запускать при старте'" "'Физический' enabled text='23,6884368'" \
  "'Эмоциональный' enabled text='28,42612413'" "'Интеллектуальный' enabled text='33,16381152'" \
  "push button 'Исходные периоды'"
e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 157 146 # "Отмена"
e2e_wait_window_gone "$E2E_WIN" || e2e_fail "the settings did not close"

read_window month "Down Right Down Down Return" 201x93
expect "'Выбор месяца и года'" "'Сформировать'" "'Отмена'" "text='$YEAR'"
month=$E2E_WIN
before=$(e2e_window_ids)
e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 53 74 # "Сформировать"
E2E_WAIT=15 e2e_wait_window 545x403 "$before" || e2e_fail "the preview did not open"
preview_x=$E2E_WIN_X
preview_y=$E2E_WIN_Y
sleep 0.7
TREE=$(e2e_accessible_tree) || e2e_fail "the preview could not be read"
printf '%s\n' "$TREE" >"$E2E_OUT/preview.txt"
expect "'Печать Биоритмов'" "'Печать'" "'Настройка'" "'Закрыть'"
e2e_click_at "$preview_x" "$preview_y" 167 14 # "Закрыть"
e2e_wait_window_gone "$E2E_WIN" || e2e_fail "the preview did not close"

read_window question "Down Right Up Return" 249x65
expect "'Анна нас покидает?'" "'Да'" "'Нет'"
e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 171 44 # "Нет"
e2e_wait_window_gone "$E2E_WIN" || e2e_fail "the question did not close"

# The comparison: an empty result read by its row's caption, never by the
# group's title; the picker read while it steps; then the four results.
read_window comparison "Down Right Up Up Up Return" 257x193
expect "'Сравнение биоритмов'" "spin button 'Дата рождения партнера:'" "'Ok'" "'Закрыть'"
[ "$(grep -c "label 'Итого:'" <<<"$TREE")" = 2 ] || e2e_fail "the empty total is not read by its row"
grep -q "label ' Совместимость '" <<<"$TREE" && e2e_fail "a result is read by the group's title"
form_x=$E2E_WIN_X
form_y=$E2E_WIN_Y
e2e_click_at "$form_x" "$form_y" 160 18
(for _ in $(seq 40); do xdotool key Up; sleep 0.05; done) &
stepping=$!
/usr/bin/python3 "$E2E_LIB_DIR/atspi.py" reread "$E2E_KELVORA_PID" "spin button" 60 >"$E2E_OUT/picker.txt" ||
  e2e_fail "the date picker could not be read while it stepped"
wait "$stepping"
e2e_kelvora_running || e2e_fail "reading the date picker ended the program"
sleep 0.5 # the last steps reach the window
TREE=$(e2e_accessible_tree) || e2e_fail "the comparison could not be read again"
printf '%s\n' "$TREE" >"$E2E_OUT/comparison-stepped.txt"
[ "$(grep -c "label '[0-9,]*%'" <<<"$TREE")" = 4 ] || e2e_fail "the four results are not read out after the steps"
# `kelvora --compat` prints the same four values for the date the picker shows.
partner=$(sed -n "s/.*spin button 'Дата рождения партнера:'.* text='\([0-9.]*\)'.*/\1/p" <<<"$TREE")
shown=$(sed -n "s/^ *label '\([0-9,]*%\)'.*/\1/p" <<<"$TREE")
printed=$(env -u DISPLAY "$E2E_APP" --compat Анна --partner "$partner") || e2e_fail "kelvora --compat failed"
[ "$printed" = "$shown" ] || e2e_fail "kelvora --compat --partner $partner printed $printed, the window shows $shown"
e2e_click_at "$form_x" "$form_y" 210 172 # "Закрыть"
e2e_wait_window_gone "$E2E_WIN" || e2e_fail "the comparison did not close"

read_window about "Down Down Down Right Down Down Return" 273x73
expect "'About...'" "'Лунофар'" "'Версия 2.07 (Build 0008)'" "'Автор: "
e2e_click_at "$E2E_WIN_X" "$E2E_WIN_Y" 200 40
e2e_wait_window_gone "$E2E_WIN" || e2e_fail "the about window did not close"

e2e_kelvora_running || e2e_fail "the program ended"

# The reader there before the program starts.
kill "$E2E_KELVORA_PID"
e2e_wait_kelvora_exit || e2e_fail "the program did not end"
e2e_start_kelvora
e2e_wait_tray_icon
getall_probe
e2e_log "PASS"
