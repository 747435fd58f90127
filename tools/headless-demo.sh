#!/usr/bin/env bash
# For a machine without a display: runs the program in a private X display
# with a tray host, opens its tray menu, saves a screenshot, prints its path
# and stops everything again.
#   tools/headless-demo.sh <path to kelvora>
set -euo pipefail
KELVORA=${1:?"usage: $0 <path to kelvora>"}
export KELVORA_E2E_OUT=${KELVORA_DEMO_OUT:-${TMPDIR:-/tmp}/kelvora-demo}
source "$(dirname "$0")/../tests/e2e/lib.sh" "$KELVORA"

# The family beside the executable, if there is one; a small sample otherwise.
if [ -f "$(dirname "$KELVORA")/Kelvora.ini" ]; then
  cp "$(dirname "$KELVORA")/Kelvora.ini" "$E2E_INI"
else
  e2e_write_ini "H23,6884368" "E28,42612413" "I33,16381152" \
    "[Анна]" 7 11 1984 0 12 "[Борис]" 31 12 1950 1 0 "[Вера]" 1 3 2001 0 20
fi

e2e_start
e2e_wait_tray_icon
e2e_open_menu 1 || e2e_fail "the tray menu did not open"
# Open the first person's submenu too, if there is one.
e2e_keys Down Right
e2e_shot tray-menu
xdotool key Escape Escape
echo "$E2E_OUT/tray-menu.png"
