#!/usr/bin/env bash
# "В файл..." from the tray menu: the save dialog (Qt's own, in Russian), a
# name typed without its extension, and the file's bytes against the reference
# and against `kelvora --text` run beside the tray copy. The person is born on
# 1 January of the current year, so the table is the same in every common (or
# every leap) year; the title line and the days-lived line are made here.
source "$(dirname "$0")/lib.sh" "$1"

SOURCE=${KELVORA_SOURCE:-$(cd "$(dirname "$0")/../.." && pwd)}
YEAR=$(date +%Y)
TODAY=$(date +%d.%m.%Y)
if [ $((YEAR % 4)) -eq 0 ] && { [ $((YEAR % 100)) -ne 0 ] || [ $((YEAR % 400)) -eq 0 ]; }; then
  GOLDEN=$SOURCE/tests/data/jan1-leap.txt
else
  GOLDEN=$SOURCE/tests/data/jan1-common.txt
fi
[ -f "$GOLDEN" ] || e2e_fail "no reference file $GOLDEN"

e2e_write_ini "H23,6884368" "E28,42612413" "I33,16381152" "[Анна]" 1 1 "$YEAR" 0 4
e2e_start_x
e2e_start_accessibility
e2e_start_kelvora
e2e_wait_tray_icon

EXPORT_DIR=$E2E_WORK/export
mkdir -p "$EXPORT_DIR"
TARGET=$EXPORT_DIR/anna.txt

# "В файл..." is the fifth item of the person's submenu; the name is typed
# without ".txt", which the dialog adds.
export_to() {
  local shot=$1 before dialog
  e2e_open_menu 1 || e2e_fail "menu did not open"
  before=$(e2e_window_ids) || true
  e2e_keys Down Right Down Down Down Down Return
  E2E_WAIT=15 e2e_wait_window "" "$before" || e2e_fail "the save dialog did not open"
  dialog=$E2E_WIN
  xdotool windowfocus --sync "$dialog" 2>/dev/null || true
  sleep 0.7
  e2e_shot "$shot"
  if [ "$shot" = 01-save-dialog ]; then dialog_is_russian; fi
  xdotool key ctrl+a
  xdotool type --delay 20 "$EXPORT_DIR/anna"
  sleep 0.2
  xdotool key Return
  e2e_wait_window_gone "$dialog" || e2e_fail "the save dialog did not close"
}

# Buttons, labels and the type of the folders listed (the program starts in
# the work folder, which holds folders).
dialog_is_russian() {
  local tree control
  tree=$(e2e_accessible_tree) || e2e_fail "no accessibility tree"
  for control in "push button 'Сохранить'" "push button 'Отмена'" "label 'Имя файла:'" "label 'Типы файлов:'" \
    "table cell 'Папка'"; do
    grep -qF "$control" <<<"$tree" || { echo "$tree" >&2; e2e_fail "the save dialog lacks $control"; }
  done
  if grep -qE "'(Save|Cancel|File name:|Files of type:|Look in:|Folder)'" <<<"$tree"; then
    echo "$tree" >&2
    e2e_fail "the save dialog speaks English"
  fi
}

expected() {
  local days word
  days=$((10#$(date +%j) - 1))
  case $((days % 10)) in
    1) word="день" ;;
    2 | 3 | 4) word="дня" ;;
    *) word="дней" ;;
  esac
  {
    printf 'Биоритмы на %s год\r\n' "$YEAR" | iconv -f UTF-8 -t WINDOWS-1251
    LC_ALL=C sed -n '2,63p' "$GOLDEN"
    printf 'Анна, к %s Вы прожили %s %s\r\n' "$TODAY" "$days" "$word" | iconv -f UTF-8 -t WINDOWS-1251
  } >"$E2E_WORK/expected.txt"
}

check_file() {
  e2e_wait_for 10 test -s "$TARGET" || e2e_fail "no file written at $TARGET"
  sleep 0.3
  [ "$(date +%d.%m.%Y)" = "$TODAY" ] || { echo "SKIP: the date changed during the test" >&2; exit 77; }
  expected
  cp "$TARGET" "$E2E_OUT/anna.txt"
  cmp "$E2E_WORK/expected.txt" "$TARGET" || e2e_fail "the file differs from the reference (kept as $E2E_OUT/anna.txt)"
}

export_to 01-save-dialog
check_file
e2e_log "written: $(wc -c <"$TARGET") bytes, 64 lines: $(grep -c '' "$TARGET")"

# The same file from the command line, with no display, beside the running
# tray copy: the same bytes; the settings file and the program's folder untouched.
cp "$E2E_INI" "$E2E_WORK/ini.before"
app_files=$(ls -A "$E2E_WORK/app")
(cd "$E2E_WORK" && env -u DISPLAY "$E2E_APP" --text Анна) >"$E2E_WORK/cli.txt" || e2e_fail "kelvora --text failed"
cmp "$TARGET" "$E2E_WORK/cli.txt" || e2e_fail "kelvora --text differs from the menu's file"
cmp "$E2E_INI" "$E2E_WORK/ini.before" || e2e_fail "kelvora --text changed the settings file"
[ "$(ls -A "$E2E_WORK/app")" = "$app_files" ] || e2e_fail "kelvora --text left files beside the program"

# Again onto the same name: replaced without any question.
printf 'earlier content\r\n' >"$TARGET"
export_to 02-save-again
before=$(e2e_window_ids) || true
if E2E_WAIT=1 e2e_wait_window "" "$before"; then
  e2e_shot 03-unexpected-window
  e2e_fail "a window came up after the save"
fi
check_file

e2e_kelvora_running || e2e_fail "the program ended"
e2e_open_menu 1 || e2e_fail "the tray menu did not open after the export"
e2e_close_menu
e2e_log "ok"
