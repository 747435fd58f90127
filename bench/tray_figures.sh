#!/usr/bin/env bash
# Start-up time to the docked tray icon, resident memory after start-up and
# idle cost of the program, side by side with the bare Qt tray program, in a
# private X display with a tray host.
#   bench/tray_figures.sh <kelvora> <bench_baretray> [runs] [idle seconds]
set -euo pipefail
KELVORA=$(realpath "$1")
BARE=$(realpath "$2")
RUNS=${3:-9}
IDLE=${4:-60}

WORK=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-bench.XXXXXX")
PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$WORK/app" "$WORK/home" "$WORK/run"
chmod 700 "$WORK/run"
export HOME=$WORK/home XDG_RUNTIME_DIR=$WORK/run XDG_CONFIG_HOME=$WORK/home/.config
export LANG=ru_RU.UTF-8 QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY SESSION_MANAGER

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$WORK/display" 2>/dev/null &
PIDS+=("$!")
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$WORK/display" | tr -d '[:space:]')"
trayer --edge top --align right --widthtype pixel --width 120 --height 24 >/dev/null 2>&1 &
PIDS+=("$!")
for _ in $(seq 100); do xwininfo -root -tree 2>/dev/null | grep -q '("panel" "trayer")' && break; sleep 0.1; done

# Fifty people, as the program keeps them.
cp "$KELVORA" "$WORK/app/kelvora"
{
  printf 'H23,6884368\r\nE28,42612413\r\nI33,16381152\r\n'
  for i in $(seq 0 49); do
    printf '[Человек %d]\r\n%d\r\n%d\r\n%d\r\n%d\r\n%d\r\n' "$i" $((1 + i % 28)) $((1 + i % 12)) $((1950 + i)) $((i % 2)) $((i % 32))
  done
} | iconv -f UTF-8 -t WINDOWS-1251 >"$WORK/app/Kelvora.ini"

# Icons of the given window class docked in trayer's panel.
docked() {
  xwininfo -root -tree 2>/dev/null | awk -v cls="(\"$1\" " '
    /\("panel" "trayer"\)/ { match($0, /^ */); depth = RLENGTH; inpanel = 1; next }
    inpanel { match($0, /^ */); if (RLENGTH <= depth && $0 ~ /0x[0-9a-f]+/) inpanel = 0
              else if (index($0, cls)) n++ }
    END { print n + 0 }'
}

# One start: sets START_MS (to the docked icon), START_RSS (kB) and RUNNING (the pid).
start_one() {
  local bin=$1 cls=$2 t0 t1
  t0=$(date +%s%N)
  "$bin" >/dev/null 2>&1 &
  RUNNING=$!
  until [ "$(docked "$cls")" -gt 0 ]; do sleep 0.002; done
  t1=$(date +%s%N)
  sleep 1
  START_MS=$(((t1 - t0) / 1000000))
  START_RSS=$(awk '/^VmRSS/ { print $2 }' "/proc/$RUNNING/status")
}

stop_one() {
  kill "$RUNNING" 2>/dev/null || true
  wait "$RUNNING" 2>/dev/null || true
  until [ "$(docked "$1")" -eq 0 ]; do sleep 0.01; done
}

median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

declare -A MS RSS
for run in $(seq "$RUNS"); do
  for who in bare kelvora; do
    if [ "$who" = bare ]; then bin=$BARE cls=bench_baretray; else bin=$WORK/app/kelvora cls=kelvora; fi
    start_one "$bin" "$cls"
    stop_one "$cls"
    MS[$who]+="$START_MS "
    RSS[$who]+="$START_RSS "
  done
done
for who in bare kelvora; do
  m=$(tr ' ' '\n' <<<"${MS[$who]}" | grep . | median)
  r=$(tr ' ' '\n' <<<"${RSS[$who]}" | grep . | median)
  eval "${who}_ms=$m ${who}_rss=$r"
  printf '%-8s start-up to docked icon: %5d ms   VmRSS after start-up: %6d kB   (median of %d)\n' "$who" "$m" "$r" "$RUNS"
done
awk -v a="$kelvora_ms" -v b="$bare_ms" -v c="$kelvora_rss" -v d="$bare_rss" \
  'BEGIN { printf "ratio    start-up %.2f (target <= 1.3)   memory %.2f (target <= 1.3)\n", a / b, c / d }'

# Idle: CPU time and wakeups over the idle period, once the program has settled.
idle() {
  local pid=$1 t0 t1 c0 c1 hz
  hz=$(getconf CLK_TCK)
  sleep 5
  t0=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
  c0=$(cat /proc/"$pid"/task/*/status | awk '/ctxt_switches/ { s += $2 } END { print s }')
  sleep "$IDLE"
  t1=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
  c1=$(cat /proc/"$pid"/task/*/status | awk '/ctxt_switches/ { s += $2 } END { print s }')
  awk -v t=$((t1 - t0)) -v hz="$hz" -v c=$((c1 - c0)) -v s="$IDLE" \
    'BEGIN { printf "CPU %d ms over %d s (target <= %d ms), wakeups %.2f a second (target <= 2)\n", t * 1000 / hz, s, s, c / s }'
}
for who in bare kelvora; do
  if [ "$who" = bare ]; then bin=$BARE cls=bench_baretray; else bin=$WORK/app/kelvora cls=kelvora; fi
  start_one "$bin" "$cls"
  printf '%-8s idle: %s\n' "$who" "$(idle "$RUNNING")"
  stop_one "$cls"
done
