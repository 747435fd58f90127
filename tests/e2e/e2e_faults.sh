#!/usr/bin/env bash
# The real program where the file system works against it.
# 1. A file-size limit (a disk that fills up): deleting a person and writing
#    the text file both fail with one error box; the program stays alive, the
#    settings file keeps its content, the menu opens again.
# 2. The program's folder closed to the user (an install in /usr/local/bin):
#    changes go to the user's own copy of the settings file, which the next
#    start reads; the file beside the program stays as it was.
source "$(dirname "$0")/lib.sh" "$1"

PERIODS=("H23,6884368" "E28,42612413" "I33,16381152")

# Starts the program with extra words before it (a limit, another user).
start_with() {
  (cd "$E2E_WORK" && exec "$@" "$E2E_APP") >>"$E2E_WORK/kelvora.log" 2>&1 &
  E2E_KELVORA_PID=$!
  E2E_PIDS+=("$E2E_KELVORA_PID")
  e2e_log "kelvora started, pid $E2E_KELVORA_PID"
}

# Waits for the general error box, then closes it with its OK button.
expect_error_box() {
  local before=$1 shot=$2
  e2e_wait_window "" "$before" || e2e_fail "no error box ($shot)"
  sleep 0.5
  e2e_shot "$shot"
  xdotool key Return
  e2e_wait_window_gone "$E2E_WIN" || e2e_fail "the error box stayed open ($shot)"
}

# No window of the program is left on the screen.
no_windows() { [ -z "$(e2e_windows)" ]; }

# --- 1. Every file may hold 1 KiB only ----------------------------------------
people=()
for i in $(seq 10 54); do people+=("[Человек $i]" $((i % 28 + 1)) $((i % 12 + 1)) $((1950 + i)) 0 $((i % 32))); done
e2e_write_ini "${PERIODS[@]}" "${people[@]}"
cp "$E2E_INI" "$E2E_WORK/original.ini"
[ "$(stat -c %s "$E2E_INI")" -gt 1024 ] || e2e_fail "the settings file must be larger than the limit"

e2e_start_x
start_with bash -c 'ulimit -f 1 && exec "$0"'
e2e_wait_tray_icon

# Delete the person at the top of the menu: the save fails, one box says so.
e2e_open_menu 1 || e2e_fail "no menu"
e2e_keys Down Right Up Return
e2e_wait_confirm || e2e_fail "no confirmation for the delete"
e2e_confirm_yes
e2e_wait_window_gone "$E2E_WIN" || e2e_fail "the confirmation stayed open"
expect_error_box "" 01-delete-disk-full
sleep 0.5
no_windows || e2e_fail "a second box followed the first"
e2e_kelvora_running || e2e_fail "the program ended on a full disk"
cmp -s "$E2E_INI" "$E2E_WORK/original.ini" || e2e_fail "the settings file changed"
[ -z "$(find "$E2E_WORK/app" -name '.*')" ] || e2e_fail "a half-written file was left"

# The text file of the same person: the same kind of failure, no file left.
EXPORT=$E2E_WORK/export
mkdir -p "$EXPORT"
e2e_open_menu 1 || e2e_fail "no menu after the failed delete"
before=$(e2e_window_ids)
e2e_keys Down Right Down Down Down Down Return
E2E_WAIT=15 e2e_wait_window "" "$before" || e2e_fail "the save dialog did not open"
dialog=$E2E_WIN
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
sleep 0.7
xdotool key ctrl+a
xdotool type --delay 20 "$EXPORT/year"
sleep 0.2
xdotool key Return
e2e_wait_window_gone "$dialog" || e2e_fail "the save dialog did not close"
expect_error_box "" 02-export-disk-full
e2e_kelvora_running || e2e_fail "the program ended on a full disk"
[ -z "$(ls -A "$EXPORT")" ] || e2e_fail "the export left a file: $(ls -A "$EXPORT")"
e2e_open_menu 3 || e2e_fail "the menu did not open after the failed export"
e2e_shot 03-menu-again
e2e_close_menu
kill "$E2E_KELVORA_PID"
e2e_wait_kelvora_exit 10 || e2e_fail "the program did not end on SIGTERM"

# --- 2. The program's folder belongs to root; an ordinary user runs it --------
USER_HOME=$E2E_WORK/user
mkdir -p "$USER_HOME/run"
chown -R 65534:65534 "$USER_HOME"
chmod 700 "$USER_HOME/run"
chmod 755 "$E2E_WORK"
e2e_write_ini "${PERIODS[@]}" "[Анна]" 7 11 1984 0 12 "[Борис]" 31 12 1950 1 0 "[Вера]" 1 3 2001 0 20
cp "$E2E_INI" "$E2E_WORK/original.ini"
chmod 555 "$E2E_WORK/app"
OWN_INI=$USER_HOME/.local/share/Лунофар/Kelvora.ini
AS_USER=(setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$USER_HOME"
  XDG_CONFIG_HOME="$USER_HOME/.config" XDG_DATA_HOME="$USER_HOME/.local/share" XDG_RUNTIME_DIR="$USER_HOME/run")

start_with "${AS_USER[@]}"
e2e_wait_tray_icon
e2e_wait_for 10 test -f "$OWN_INI" || e2e_fail "no copy of the settings in the user's folder"
cmp -s "$OWN_INI" "$E2E_WORK/original.ini" || e2e_fail "the user's copy differs from the file beside the program"

# Delete "Борис" (second from the top): saved in the user's copy, no box.
e2e_open_menu 1 || e2e_fail "no menu for the ordinary user"
e2e_keys Down Down Right Up Return
e2e_wait_confirm || e2e_fail "no confirmation for the delete"
e2e_confirm_yes
e2e_wait_window_gone "$E2E_WIN" || e2e_fail "the confirmation stayed open"
e2e_wait_for 5 bash -c "! iconv -f WINDOWS-1251 -t UTF-8 <'$OWN_INI' | grep -q Борис" ||
  e2e_fail "Борис is still in the user's copy"
sleep 0.5
no_windows || { e2e_shot zz-unexpected-box; e2e_fail "a box appeared after the delete"; }
cmp -s "$E2E_INI" "$E2E_WORK/original.ini" || e2e_fail "the file beside the program changed"
expected=$(printf '%s\n' "${PERIODS[@]}" "[Анна]" 7 11 1984 0 12 "[Вера]" 1 3 2001 0 20)
[ "$(iconv -f WINDOWS-1251 -t UTF-8 <"$OWN_INI" | tr -d '\r')" = "$expected" ] || e2e_fail "user's copy: $(cat "$OWN_INI")"
e2e_open_menu 1 || e2e_fail "no menu after the delete"
e2e_shot 04-user-menu-after-delete
e2e_close_menu

# The next start reads the user's copy: Борис stays gone, nothing is copied again.
kill "$E2E_KELVORA_PID"
e2e_wait_kelvora_exit 10 || e2e_fail "the program did not end on SIGTERM"
start_with "${AS_USER[@]}"
e2e_wait_tray_icon
e2e_open_menu 1 || e2e_fail "no menu after the restart"
e2e_shot 05-user-menu-after-restart
e2e_close_menu
[ "$(iconv -f WINDOWS-1251 -t UTF-8 <"$OWN_INI" | tr -d '\r')" = "$expected" ] || e2e_fail "the restart changed the user's copy"
chmod 755 "$E2E_WORK/app"
e2e_log "PASS"
