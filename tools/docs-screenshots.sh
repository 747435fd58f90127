#!/usr/bin/env bash
# Refreshes the README pictures in docs/ from the end-to-end tests' own
# screenshots: the tray menu, the calendar window, the chart window and the
# printed month page.
#   tools/docs-screenshots.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
ctest --test-dir "$BUILD" -R '^e2e_(tray|calendar|print|accessibility)$' --output-on-failure
ART=$BUILD/e2e-artifacts
# The menu with a person's commands open, cut out of the black screen.
convert "$ART/e2e_tray/04-delete-item.png" -bordercolor black -border 1 -trim +repage docs/menu.png
cp "$ART/e2e_calendar/calendar-window.png" docs/calendar.png
convert "$ART/e2e_accessibility/chart-window.png" -resize 75% docs/chart.png
convert "$ART/e2e_print/printed-page.png" -resize 60% docs/month-page.png
ls -l docs/*.png
