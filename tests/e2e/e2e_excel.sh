#!/usr/bin/env bash
# "MS Excel" from the tray menu: without a spreadsheet program registered for
# .xlsx the message box; with an entry whose program is missing or fails, the
# error box; with a stub one registered in a private MIME database, a new
# workbook handed to it, one per export, with the cells `kelvora --xlsx` writes.
source "$(dirname "$0")/lib.sh" "$1"
for tool in xdg-mime xdg-open unzip; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed" >&2; exit 77; }
done

XLSX_TYPE=application/vnd.openxmlformats-officedocument.spreadsheetml.sheet
# Only our private registrations count, never the machine's programs. The
# machine's MIME database stays: without it a desktop's `mimetype` cannot
# tell a workbook, and xdg-open falls back to whatever mailcap names.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID
export XDG_DATA_DIRS=$E2E_WORK/share
export XDG_CONFIG_DIRS=$E2E_WORK/etc
mkdir -p "$XDG_DATA_HOME/applications" "$XDG_CONFIG_HOME" "$XDG_DATA_DIRS" "$XDG_CONFIG_DIRS"
[ -d /usr/share/mime ] && ln -s /usr/share/mime "$XDG_DATA_DIRS/mime"
# The workbooks' folders stay after the program; keep them inside this run.
export TMPDIR=$E2E_WORK/tmp
mkdir -p "$TMPDIR"

# The stub spreadsheet program keeps a copy of every workbook it is given.
OPENED=$E2E_WORK/opened
mkdir -p "$OPENED"
cat >"$E2E_WORK/stubsheet" <<EOF
#!/bin/sh
n=\$(ls "$OPENED" | grep -c "[.]xlsx\$")
cp "\$1" "$OPENED/\$n.xlsx.part" && mv "$OPENED/\$n.xlsx.part" "$OPENED/\$n.xlsx"
echo "\$1" >>"$OPENED/paths"
EOF
chmod +x "$E2E_WORK/stubsheet"
# register_stub [PROGRAM]: the spreadsheet program's desktop entry names PROGRAM.
register_stub() {
  cat >"$XDG_DATA_HOME/applications/stubsheet.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=Stub spreadsheet
Exec=${1:-$E2E_WORK/stubsheet} %f
MimeType=$XLSX_TYPE;
EOF
  printf '[Default Applications]\n%s=stubsheet.desktop\n' "$XLSX_TYPE" >"$XDG_CONFIG_HOME/mimeapps.list"
  [ "$(xdg-mime query default "$XLSX_TYPE")" = "stubsheet.desktop" ] || e2e_fail "stub not registered"
}

YEAR=$(date +%Y)
e2e_write_ini "H23,6884368" "E28,42612413" "I33,16381152" "[Анна]" 15 3 1990 0 4
e2e_start
e2e_wait_tray_icon

# "MS Excel" is the fourth item of the person's submenu.
export_from_menu() {
  e2e_open_menu 1 || e2e_fail "menu did not open"
  e2e_keys Down Right Down Down Down Return
}

# export_fails SHOT: the export shows the error box; nothing reaches the stub.
export_fails() {
  local before
  before=$(e2e_window_ids) || true
  export_from_menu
  E2E_WAIT=15 e2e_wait_window "" "$before" || e2e_fail "no error box ($1)"
  sleep 0.3
  e2e_shot "$1"
  [ "$(xdotool getwindowname "$E2E_WIN")" = "Лунофар" ] || e2e_fail "error box caption: $(xdotool getwindowname "$E2E_WIN")"
  xdotool key Return
  e2e_wait_window_gone "$E2E_WIN" || e2e_fail "the error box did not close ($1)"
  [ -z "$(ls "$OPENED")" ] || e2e_fail "a workbook was opened ($1)"
  e2e_kelvora_running || e2e_fail "the program ended ($1)"
}

# 1. Nothing registered: only the message box.
[ -z "$(xdg-mime query default "$XLSX_TYPE")" ] || e2e_fail "a spreadsheet program is already registered"
before=$(e2e_window_ids) || true
export_from_menu
e2e_wait_window "" "$before" || e2e_fail "no message box"
box=$E2E_WIN
e2e_shot 01-not-installed
[ "$(xdotool getwindowname "$box")" = "Лунофар" ] || e2e_fail "message box caption: $(xdotool getwindowname "$box")"
xdotool key Return
e2e_wait_window_gone "$box" || e2e_fail "the message box did not close"
sleep 1
[ -z "$(ls "$OPENED")" ] || e2e_fail "a workbook was opened without a spreadsheet program"

# 2. Registered, but the entry names a program that is not there, or one that
#    fails: the error box instead of silence.
register_stub "$E2E_WORK/uninstalled/calc"
export_fails 02-program-missing
printf '#!/bin/sh\nexit 1\n' >"$E2E_WORK/failsheet"
chmod +x "$E2E_WORK/failsheet"
register_stub "$E2E_WORK/failsheet"
export_fails 03-program-fails

# 3. Registered: two exports, two workbooks, each in a file of its own.
register_stub
export_from_menu
e2e_wait_for 20 test -f "$OPENED/0.xlsx" || e2e_fail "the spreadsheet program got no workbook"
export_from_menu
e2e_wait_for 20 test -f "$OPENED/1.xlsx" || e2e_fail "the second export opened nothing"
e2e_shot 04-exported
e2e_kelvora_running || e2e_fail "the program ended"

mapfile -t paths <"$OPENED/paths"
[ "${#paths[@]}" -eq 2 ] || e2e_fail "expected two workbooks, got ${#paths[@]}"
[ "${paths[0]}" != "${paths[1]}" ] || e2e_fail "the second export reused ${paths[0]}"
for p in "${paths[@]}"; do
  [ "$(basename "$p")" = "Анна $YEAR.xlsx" ] || e2e_fail "workbook name: $p"
  [ -f "$p" ] || e2e_fail "the workbook $p is gone"
  [[ "$p" == "$TMPDIR"/kelvora-*/* ]] || e2e_fail "workbook outside the temporary folder: $p"
done

# The workbook as a spreadsheet program reads it.
book=$OPENED/1.xlsx
sheet=$(unzip -p "$book" xl/worksheets/sheet1.xml) || e2e_fail "no worksheet in the workbook"
strings=$(unzip -p "$book" xl/sharedStrings.xml) || e2e_fail "no shared strings in the workbook"
grep -q '<dimension ref="B1:AG52"/>' <<<"$sheet" || e2e_fail "cells outside B1:AG52"
grep -q "<t>Биоритмы на $YEAR год</t>" <<<"$strings" || e2e_fail "no title"
grep -q '<t>Анна, к [^<]* Вы прожили [0-9]* д[^<]*</t>' <<<"$strings" || e2e_fail "no days-lived line"
# AG50 is 31 December's intellectual mark; AG15 would be 31 April.
for ref in B1 B3 AG3 B50 AG50 B52; do
  grep -q "<c r=\"$ref\"" <<<"$sheet" || e2e_fail "cell $ref is empty"
done
for ref in A3 AH3 B2 B51 AG15 AG18; do
  ! grep -q "<c r=\"$ref\"" <<<"$sheet" || e2e_fail "cell $ref holds something"
done
grep -q '<col min="3" max="33" width="3.7109375"' <<<"$sheet" || e2e_fail "day columns not 3 wide"
grep -q '<row r="3"[^>]* s="[0-9]*" customFormat="1"' <<<"$sheet" || e2e_fail "January's header row has no format"

# The same workbook from the command line, with no display: the same cells,
# texts and formats; its scratch folder does not stay.
scratch=$(ls -A "$TMPDIR")
(cd "$E2E_WORK" && env -u DISPLAY "$E2E_APP" --xlsx Анна -o "$E2E_WORK/cli.xlsx") || e2e_fail "kelvora --xlsx failed"
unzip -q "$book" -d "$E2E_WORK/menu-book" && unzip -q "$E2E_WORK/cli.xlsx" -d "$E2E_WORK/cli-book" ||
  e2e_fail "the workbooks cannot be unpacked"
# Every part but the one that holds the time of writing.
diff -r --exclude=core.xml "$E2E_WORK/menu-book" "$E2E_WORK/cli-book" || e2e_fail "kelvora --xlsx differs from the menu's workbook"
[ "$(ls -A "$TMPDIR")" = "$scratch" ] || e2e_fail "kelvora --xlsx left $(ls -A "$TMPDIR")"
e2e_log "ok"
