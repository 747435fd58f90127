#!/usr/bin/env bash
# "На принтер" from the tray menu: March 2025 is chosen in the month dialog,
# the preview shows the page, the printer setup is pointed at a PDF file
# (no printer is installed here), "Печать" writes the page there, and
# "Закрыть" gives the tray menu back. The printed page is kept as a PNG, and
# `kelvora --pdf` makes the same page.
# The desktop is English: Qt's printer setup speaks Russian all the same.
source "$(dirname "$0")/lib.sh" "$1"
for tool in pdftoppm pdfinfo pdfimages convert; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed" >&2; exit 77; }
done

DIALOG_SIZE=201x93
PREVIEW_SIZE=545x403
PDF=$E2E_WORK/month.pdf

# The colour of one pixel of a picture, as "r,g,b".
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }
yellowish() {
  local r g b
  IFS=, read -r r g b <<<"$1"
  [ "$r" -ge 235 ] && [ "$g" -ge 235 ] && [ "$b" -lt 235 ]
}
dark() {
  local r g b
  IFS=, read -r r g b <<<"$1"
  [ $((r + g + b)) -lt 200 ]
}

e2e_write_ini "H23,6884368" "E28,42612413" "I33,16381152" "[Анна]" 15 3 1990 0 4
export LANG=C LC_ALL=C
e2e_start_x
e2e_start_accessibility
e2e_start_kelvora
e2e_wait_tray_icon

# "На принтер": the third item of the person's submenu.
e2e_open_menu 1 || e2e_fail "menu did not open"
before=$(e2e_window_ids) || true
e2e_keys Down Right Down Down Return
E2E_WAIT=15 e2e_wait_window "$DIALOG_SIZE" "$before" || e2e_fail "the month dialog did not open"
dialog=$E2E_WIN
dialog_x=$E2E_WIN_X
dialog_y=$E2E_WIN_Y
[[ "$(xdotool getwindowname "$dialog")" == "Выбор месяца и года"* ]] || e2e_fail "caption: $(xdotool getwindowname "$dialog")"
sleep 0.3

# "Сформировать" has the focus; the month list and the year follow in tab order.
xdotool key Tab Tab Home Down Down Tab ctrl+a
xdotool type 2025
sleep 0.3
e2e_shot 01-march-2025
before=$(e2e_window_ids) || true
e2e_click_at "$dialog_x" "$dialog_y" 53 74
E2E_WAIT=15 e2e_wait_window "$PREVIEW_SIZE" "$before" || e2e_fail "the preview did not open"
preview=$E2E_WIN
preview_x=$E2E_WIN_X
preview_y=$E2E_WIN_Y
e2e_wait_window_gone "$dialog" || e2e_fail "the month dialog stayed open"
[[ "$(xdotool getwindowname "$preview")" == "Печать Биоритмов"* ]] || e2e_fail "caption: $(xdotool getwindowname "$preview")"
sleep 0.7
e2e_shot 02-preview
import -window "$preview" "$E2E_OUT/preview-window.png"
# The page at 100 %: the legend column of the first grid row is yellow, its
# left edge (band 69, 10 mm margin, 10 px of desk, the frame) a black line.
yellowish "$(pixel "$E2E_OUT/preview-window.png" 129 190)" || e2e_fail "no legend column in the preview"
dark "$(pixel "$E2E_OUT/preview-window.png" 118 190)" || e2e_fail "no grid line in the preview"

# The tray menu stays closed while the preview is open.
e2e_wait_tray_icon
E2E_WAIT=2 e2e_open_menu 1 && e2e_fail "the tray menu opened during the preview"

# "Настройка": the printer setup, pointed at a PDF file.
before=$(e2e_window_ids) || true
e2e_click_at "$preview_x" "$preview_y" 100 14
E2E_WAIT=15 e2e_wait_window "" "$before" || e2e_fail "the printer setup did not open"
setup=$E2E_WIN
sleep 0.7
e2e_shot 03-setup
tree=$(e2e_accessible_tree) || e2e_fail "no accessibility tree"
for control in "push button 'Печать'" "push button 'Отмена'" "push button 'Параметры >>'" "label 'Вывод в файл:'"; do
  grep -qF "$control" <<<"$tree" || { echo "$tree" >&2; e2e_fail "the printer setup lacks $control"; }
done
if grep -qE "'(Print|Cancel|Options >>|Output file:)'" <<<"$tree"; then
  echo "$tree" >&2
  e2e_fail "the printer setup speaks English"
fi
# "Вывод в файл:" is reached by its Russian mnemonic.
xdotool key alt+Cyrillic_ef ctrl+a
xdotool type "$PDF"
sleep 0.2
e2e_shot 04-setup-file
xdotool key Return
# Closing it lays the preview out again, which a sanitized build on a busy
# machine takes many seconds over. There, the file name's completion list may
# also open late and take the first Return for itself.
if ! e2e_wait_window_gone "$setup" 10; then
  xdotool key Return
  e2e_wait_window_gone "$setup" 30 || e2e_fail "the printer setup did not close"
fi
[ ! -e "$PDF" ] || e2e_fail "the setup printed by itself"

# "Печать" prints with those settings; the preview stays open.
e2e_click_at "$preview_x" "$preview_y" 33 14
e2e_wait_for 30 test -s "$PDF" || e2e_fail "nothing was printed to $PDF"
sleep 0.5
xwininfo -id "$preview" | grep -q IsViewable || e2e_fail "\"Печать\" closed the preview"
pdfinfo "$PDF" | grep -q '^Pages: *1$' || e2e_fail "the PDF has not one page"
pdfinfo "$PDF" | grep -q 'A4' || e2e_fail "the PDF is not A4: $(pdfinfo "$PDF" | grep 'Page size')"
# The faces are drawn, not stored as (lossy) bitmaps.
[ "$(pdfimages -list "$PDF" | tail -n +3 | wc -l)" -eq 0 ] || e2e_fail "pictures in the PDF: $(pdfimages -list "$PDF")"

pdftoppm -r 96 -png -singlefile "$PDF" "$E2E_OUT/printed-page"
page=$E2E_OUT/printed-page.png
[ "$(identify -format '%wx%h' "$page")" = 794x1123 ] || e2e_fail "page size $(identify -format '%wx%h' "$page")"
# Band pixel (x, y) is page pixel (x + 37.8, y + 37.8) at 96 dpi.
yellowish "$(pixel "$page" 118 150)" || e2e_fail "no legend column on the printed page"
dark "$(pixel "$page" 107 150)" || e2e_fail "no grid line on the printed page"
# March 2025 takes six week rows: the bottom rule at 536, the sixth row printed.
dark "$(pixel "$page" 400 574)" || e2e_fail "no bottom rule under six rows"
dark "$(pixel "$page" 107 500)" || e2e_fail "no sixth row"

# The same page from the command line, with no display: the same pixels.
(cd "$E2E_WORK" && env -u DISPLAY "$E2E_APP" --pdf Анна --month 3 --year 2025 -o "$E2E_WORK/cli.pdf") ||
  e2e_fail "kelvora --pdf failed"
pdfinfo "$E2E_WORK/cli.pdf" | grep -q '^Pages: *1$' || e2e_fail "kelvora --pdf: not one page"
pdftoppm -r 96 -png -singlefile "$E2E_WORK/cli.pdf" "$E2E_OUT/cli-page"
differing=$(compare -metric AE "$page" "$E2E_OUT/cli-page.png" "$E2E_OUT/cli-page-diff.png" 2>&1) || true
[ "$differing" = 0 ] || e2e_fail "kelvora --pdf differs from the printed page in $differing pixels"

# "Закрыть" ends the command; the tray menu opens again.
e2e_click_at "$preview_x" "$preview_y" 167 14
e2e_wait_window_gone "$preview" || e2e_fail "\"Закрыть\" did not close the preview"
e2e_open_menu 1 || e2e_fail "the tray menu did not open after the preview"
e2e_close_menu
e2e_kelvora_running || e2e_fail "the program ended"
e2e_log "ok"
