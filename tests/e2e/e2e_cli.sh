#!/usr/bin/env bash
# The outputs from the command line, with no display and no tray: the list,
# the text file (to standard output and to a file, the person by index and by
# name, another year), the workbook, the comparison with the partner's date
# written both ways, the chart in its three formats; failures with status 1
# and a message that names the value, path or file at fault and why, usage
# errors with status 2 and no file; only the outputs asked for are written.
# The month page and the both-ways comparisons are in the scripts that make
# the same outputs from the tray menu.
source "$(dirname "$0")/lib.sh" "$1"
for tool in unzip pdftotext; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed" >&2; exit 77; }
done
unset DISPLAY

SOURCE=${KELVORA_SOURCE:-$(cd "$(dirname "$0")/../.." && pwd)}
# The third person's 31 April only a hand-edited file holds.
e2e_write_ini "H23,6884368" "E28,42612413" "I33,16381152" "[Анна]" 15 3 1990 0 4 "[Пётр Ёлкин]" 22 7 1980 1 3 \
  "[Сбой]" 31 4 1985 0 0
cp "$E2E_INI" "$E2E_WORK/ini.before"
OUT=$E2E_WORK/outputs
mkdir -p "$OUT"

CLI_AS=
# cli ARG...: runs the program from the output folder (as $CLI_AS); CLI_STATUS, and its
# standard output and error in $OUT/../stdout and stderr.
cli() {
  CLI_STATUS=0
  # shellcheck disable=SC2086
  (cd "$OUT" && $CLI_AS "$E2E_APP" "$@") >"$E2E_WORK/stdout" 2>"$E2E_WORK/stderr" || CLI_STATUS=$?
}
succeeds() {
  cli "$@"
  [ "$CLI_STATUS" -eq 0 ] || e2e_fail "$*: status $CLI_STATUS, $(cat "$E2E_WORK/stderr")"
  [ ! -s "$E2E_WORK/stderr" ] || e2e_fail "$*: wrote to standard error: $(cat "$E2E_WORK/stderr")"
}
# fails STATUS MESSAGE ARG...: the status, the message on standard error, nothing on standard output.
fails() {
  local status=$1 message=$2
  shift 2
  cli "$@"
  [ "$CLI_STATUS" -eq "$status" ] || e2e_fail "$*: status $CLI_STATUS, not $status: $(cat "$E2E_WORK/stderr")"
  grep -qF -- "$message" "$E2E_WORK/stderr" || e2e_fail "$*: said $(cat "$E2E_WORK/stderr")"
  [ ! -s "$E2E_WORK/stdout" ] || e2e_fail "$*: printed $(cat "$E2E_WORK/stdout")"
}
footprint() { find "$E2E_WORK/run" "$HOME" "$E2E_WORK/app" | sort; }
before=$(footprint)

succeeds --list
[ "$(cat "$E2E_WORK/stdout")" = $'0\tАнна\t15.03.1990\n1\tПётр Ёлкин\t22.07.1980\n2\tСбой\t1985-04-31' ] ||
  e2e_fail "--list printed: $(cat "$E2E_WORK/stdout")"

# Partners one day apart with the usual periods; the date as the locale
# writes it, without leading zeros, or as ISO.
for date in 16.03.1990 16.3.1990 1990-03-14; do
  succeeds --compat Анна --partner "$date"
  [ "$(cat "$E2E_WORK/stdout")" = $'91,56%\n92,96%\n93,97%\n92,83%' ] ||
    e2e_fail "--compat, partner $date: $(cat "$E2E_WORK/stdout")"
done

# The text file of another year: the reference's lines but the days-lived one.
succeeds --text 1 --year 2024
cp "$E2E_WORK/stdout" "$OUT/stdout.txt"
cmp <(head -n 63 "$OUT/stdout.txt") <(head -n 63 "$SOURCE/tests/data/petr-2024.txt") ||
  e2e_fail "--text 1 --year 2024 differs from the reference"
tail -n 1 "$OUT/stdout.txt" | iconv -f WINDOWS-1251 -t UTF-8 | grep -qE "^Пётр Ёлкин, к $(date +%d.%m.%Y) Вы прожили [0-9]+ (день|дня|дней)"$'\r$' ||
  e2e_fail "days-lived line: $(tail -n 1 "$OUT/stdout.txt" | iconv -f WINDOWS-1251 -t UTF-8)"
# By name into a file, replacing what was there: the same bytes.
printf 'earlier content\r\n' >"$OUT/petr.txt"
succeeds --text "Пётр Ёлкин" --year 2024 -o petr.txt
cmp "$OUT/petr.txt" "$OUT/stdout.txt" || e2e_fail "the file and standard output differ"

# No file to replace: standard output, a pipe, the null device take the text as it is.
succeeds --text 1 --year 2024 -o /dev/stdout
cmp "$E2E_WORK/stdout" "$OUT/stdout.txt" || e2e_fail "-o /dev/stdout differs from standard output"
(cd "$OUT" && "$E2E_APP" --text 1 --year 2024 -o /dev/stdout) | cmp - "$OUT/stdout.txt" || e2e_fail "-o /dev/stdout into a pipe"
succeeds --text 0 -o /dev/null

succeeds --xlsx 0 --year 2025 -o anna.xlsx
unzip -p "$OUT/anna.xlsx" xl/sharedStrings.xml | grep -q '<t>Биоритмы на 2025 год</t>' ||
  e2e_fail "the workbook is not of 2025"

# The chart by the file's extension; the chosen day's values and marks are
# text in the SVG and the PDF, the PNG is the page's picture.
succeeds --chart Анна --date 08.12.2026 -o anna.svg
succeeds --chart 0 --date 2026-12-08 -o anna.PDF
succeeds --chart 0 -o anna.png
for line in "Анна, к 08.12.2026 Вы прожили 13417 дней" "Здоровье: +62%, «+» Увеличение активности" \
  "Эмоции: -3%, «-» Снижение активности" "Интеллект: -41%, «-» Снижение активности"; do
  grep -qF ">$line<" "$OUT/anna.svg" || e2e_fail "not in the SVG: $line"
  pdftotext "$OUT/anna.PDF" - | grep -qxF "$line" || e2e_fail "not in the PDF: $line"
done
[ "$(identify -format '%m %wx%h' "$OUT/anna.png")" = "PNG 800x560" ] ||
  e2e_fail "the PNG: $(identify "$OUT/anna.png")"

# Failures name what is wrong and why; no file is left.
fails 1 "Нет человека с номером 3: номера в списке от 0 до 2 (файл настроек $E2E_INI)." --text 3 -o three.txt
fails 1 "У человека 2 «Сбой» дата рождения 1985-04-31, а такой даты нет в календаре (файл настроек $E2E_INI)." \
  --compat Сбой --partner 1990-01-01
fails 1 "Год 0 вне календаря: допустимы годы от 1 до 9999." --xlsx 0 --year 0 -o zero.xlsx
fails 1 "Не удалось записать missing/anna.txt: нет папки $OUT/missing." --text 0 -o missing/anna.txt
fails 1 "Не удалось записать $E2E_WORK: это папка." --pdf 0 --month 3 -o "$E2E_WORK"
# A folder closed to the user; root writes anywhere, so an ordinary user tries.
mkdir "$E2E_WORK/closed"
if [ "$(id -u)" -eq 0 ]; then
  chmod o+x "$E2E_WORK"
  CLI_AS="setpriv --reuid=65534 --regid=65534 --clear-groups"
else
  chmod a-w "$E2E_WORK/closed"
fi
fails 1 "Не удалось записать $E2E_WORK/closed/anna.xlsx: нет права писать в папку $E2E_WORK/closed." \
  --xlsx 0 -o "$E2E_WORK/closed/anna.xlsx"
CLI_AS=
# A full standard output is a failure, not a success.
status=0
(cd "$OUT" && "$E2E_APP" --list >/dev/full 2>"$E2E_WORK/stderr") || status=$?
[ "$status" -eq 1 ] && grep -q "Не удалось записать в стандартный вывод: на диске нет места." "$E2E_WORK/stderr" ||
  e2e_fail "a full standard output: status $status, $(cat "$E2E_WORK/stderr")"
fails 1 "В списке нет человека «Вера»" --compat Вера --partner 1990-01-01

# Usage errors: status 2 before anything is read or written.
fails 2 "Месяц «13»" --pdf 0 --month 13 -o month.pdf
fails 2 "-o" --xlsx 0
fails 2 "--text" --text 0 --xlsx 0 -o both.xlsx
fails 2 "30.02.1990" --compat 0 --partner 30.02.1990
fails 2 "--year" --year 2024
fails 2 ".svg, .png или .pdf" --chart 0 -o chart.txt
fails 2 "31.04.2026" --chart 0 --date 31.04.2026 -o april.png
fails 2 "--date" --text 0 --date 2026-12-08
fails 1 "У человека 2 «Сбой» дата рождения 1985-04-31, а такой даты нет в календаре" --chart Сбой -o fault.png

[ "$(ls "$OUT")" = "$(printf '%s\n' anna.PDF anna.png anna.svg anna.xlsx petr.txt stdout.txt)" ] || e2e_fail "files written: $(ls "$OUT")"
cmp "$E2E_INI" "$E2E_WORK/ini.before" || e2e_fail "the settings file changed"
[ "$(footprint)" = "$before" ] || e2e_fail "files left behind: $(diff <(echo "$before") <(footprint))"

# Another settings file instead of the usual one.
printf '[Вера]\r\n2\r\n2\r\n2027\r\n0\r\n1\r\n' | iconv -f UTF-8 -t WINDOWS-1251 >"$E2E_WORK/other.ini"
succeeds --settings "$E2E_WORK/other.ini" --list
[ "$(cat "$E2E_WORK/stdout")" = $'0\tВера\t02.02.2027' ] || e2e_fail "--settings: $(cat "$E2E_WORK/stdout")"
fails 1 "Файл настроек $E2E_WORK/none.ini не прочитан: нет такого файла или папки." --settings "$E2E_WORK/none.ini" --list
# A settings file that holds no settings, or one the loader refuses, fails
# every output, the list too, and says what is wrong with it.
printf '\x89PNG\r\n\x1a\n\0\0\0\rIHDR' >"$E2E_WORK/picture.ini"
for output in --list "--text 0"; do
  # shellcheck disable=SC2086
  fails 1 "Файл настроек $E2E_WORK/picture.ini не прочитан: в нём двоичные данные (байт 0x1a в строке 2), а не текст." \
    --settings "$E2E_WORK/picture.ini" $output
done
printf '[Вера]\r\n2\r\nфев\r\n' | iconv -f UTF-8 -t WINDOWS-1251 >"$E2E_WORK/month.ini"
fails 1 "строка 3: «фев» — не целое число, а ожидается месяц рождения человека «Вера»." --settings "$E2E_WORK/month.ini" --list

# A copy without its paper module still lists, but says so for the workbook,
# the month page and the chart as SVG, and writes nothing.
mkdir "$E2E_WORK/alone"
cp "$E2E_APP" "$E2E_INI" "$E2E_WORK/alone/"
E2E_APP=$E2E_WORK/alone/kelvora
succeeds --list
for output in "--xlsx 0 -o alone.xlsx" "--pdf 0 --month 3 -o alone.pdf" "--chart 0 -o alone.svg"; do
  # shellcheck disable=SC2086
  fails 1 "Не найден модуль печати и таблиц" $output
done
[ ! -e "$OUT/alone.xlsx" ] && [ ! -e "$OUT/alone.pdf" ] && [ ! -e "$OUT/alone.svg" ] || e2e_fail "a file written without the module"

# Code runs only from the program's own folders: beside a copy of the program
# in a folder open to all, a module another user planted where the install
# location would be never runs; the module beside the program does, and only
# while no one else may write it.
if [ "$(id -u)" -eq 0 ] && command -v cc >/dev/null; then
  chmod 755 "$E2E_WORK"
  SHARED=$E2E_WORK/shared
  mkdir "$SHARED" "$SHARED/app"
  chmod 1777 "$SHARED"
  cp "$E2E_WORK/app/kelvora" "$E2E_WORK/app/libkelvora_paper.so" "$E2E_INI" "$SHARED/app/"
  PLANTED=$SHARED/lib/$(cc -print-multiarch)/kelvora
  printf '#include <stdio.h>\n__attribute__((constructor)) static void planted(void) { fclose(fopen("%s", "w")); }\n' \
    "$SHARED/planted-ran" >"$E2E_WORK/planted.c"
  cc -shared -fPIC -o "$E2E_WORK/planted.so" "$E2E_WORK/planted.c" || e2e_fail "cannot build the planted module"
  chmod 644 "$E2E_WORK/planted.so"
  setpriv --reuid=65534 --regid=65534 --clear-groups sh -c \
    "mkdir -p '$PLANTED' && cp '$E2E_WORK/planted.so' '$PLANTED/libkelvora_paper.so'" || e2e_fail "cannot plant the module"
  E2E_APP=$SHARED/app/kelvora
  succeeds --xlsx 0 -o shared.xlsx
  [ ! -e "$SHARED/planted-ran" ] || e2e_fail "the planted module ran"
  chmod g+w "$SHARED/app/libkelvora_paper.so"
  fails 1 "Не найден модуль печати и таблиц" --xlsx 0 -o open.xlsx
  [ ! -e "$SHARED/planted-ran" ] && [ ! -e "$OUT/open.xlsx" ] || e2e_fail "a module others may write was loaded"
else
  e2e_log "planted module: skipped (needs root and cc)"
fi
e2e_log "ok"
