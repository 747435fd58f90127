#!/usr/bin/env bash
# The program beside the least a Qt tray program can be, in a private X
# display with a tray host, timed by X events (bench/tray_stopwatch blocks on
# the X connection; nothing polls while a program starts or opens its menu):
#
#   - start to the docked icon, resident memory and CPU time one second after
#     the start, with 50 people; the two programs alternate, each round in the
#     other order; median and middle half (first to third quartile);
#   - memory and tray click -> menu shown with 3, 1,000 and 10,000 people, the
#     first click right after the icon docks and then the median of further
#     clicks; memory per person;
#   - idle CPU time and wakeups.
#
#   bench/tray_figures.sh BUILD_DIR [ROUNDS] [IDLE_SECONDS]
# BUILD_DIR holds kelvora and the benchmark targets (cmake --build BUILD_DIR
# --target benchmarks). PARTS="startup sizes idle" (the default) names the
# tables to make; PARTS=sizes makes the family-size table alone.
set -euo pipefail
# A session bus of its own, as every desktop has one: the programs look for
# StatusNotifierItem panels there (and find none: the tray is trayer's).
if [ -z "${TRAY_FIGURES_BUS:-}" ] && command -v dbus-run-session >/dev/null; then
  export TRAY_FIGURES_BUS=1
  exec dbus-run-session -- bash "$0" "$@"
fi
BUILD=$(realpath "$1")
ROUNDS=${2:-15}
IDLE=${3:-60}
PARTS=" ${PARTS:-startup sizes idle} "
part() { [[ "$PARTS" == *" $1 "* ]]; }
# The figures are read and written with a decimal point: under a Russian
# locale sort and awk would take "33.12" for 33 and print "33,12".
sort() { LC_ALL=C command sort "$@"; }
awk() { LC_ALL=C command awk "$@"; }
printf() { LC_ALL=C builtin printf "$@"; }
KELVORA=$BUILD/kelvora
BARE=$BUILD/bench/bench_baretray
WATCH=$BUILD/bench/tray_stopwatch
for f in "$KELVORA" "$BARE" "$WATCH"; do
  [ -x "$f" ] || { echo "missing $f (build the benchmarks target)" >&2; exit 2; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/kelvora-bench.XXXXXX")
PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
mkdir -p "$WORK/home" "$WORK/run"
chmod 700 "$WORK/run"
export HOME=$WORK/home XDG_RUNTIME_DIR=$WORK/run XDG_CONFIG_HOME=$WORK/home/.config
export LANG=ru_RU.UTF-8 QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY SESSION_MANAGER

# Waits at most $1 seconds for a command to succeed.
wait_for() {
  local tries=$(($1 * 20))
  shift
  while ((tries-- > 0)); do
    "$@" && return 0
    sleep 0.05
  done
  return 1
}

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$WORK/display" 2>/dev/null &
PIDS+=("$!")
wait_for 10 test -s "$WORK/display" || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$WORK/display" | tr -d '[:space:]')"
trayer --edge top --align right --widthtype pixel --width 120 --height 24 >/dev/null 2>&1 &
PIDS+=("$!")
wait_for 10 bash -c "xwininfo -root -tree 2>/dev/null | grep -q '(\"panel\" \"trayer\")'" ||
  { echo "trayer did not start" >&2; exit 1; }

# A copy of the program beside a settings file of N people.
family() {
  local n=$1 dir=$WORK/app$1
  mkdir -p "$dir"
  cp "$KELVORA" "$dir/kelvora"
  [ -f "$BUILD/libkelvora_paper.so" ] && cp "$BUILD/libkelvora_paper.so" "$dir/"
  {
    printf 'H23,6884368\r\nE28,42612413\r\nI33,16381152\r\n'
    for ((i = 0; i < n; i++)); do
      printf '[Человек %d]\r\n%d\r\n%d\r\n%d\r\n%d\r\n%d\r\n' "$i" $((1 + i % 28)) $((1 + i % 12)) $((1950 + i % 70)) \
        $((i % 2)) $((i % 32))
    done
  } | iconv -f UTF-8 -t WINDOWS-1251 >"$dir/Kelvora.ini"
  echo "$dir/kelvora"
}

# start PROGRAM: sets PID, DOCK_MS, RSS_KIB, CPU_MS.
start() {
  read -r PID DOCK_MS RSS_KIB CPU_MS <<<"$("$WATCH" start "$1")"
}
stop() {
  kill "$PID" 2>/dev/null || true
  wait_for 10 bash -c "! kill -0 $PID 2>/dev/null" || kill -9 "$PID" 2>/dev/null || true
}
# click [BUTTON]: prints the milliseconds from the press to the menu (the
# stopwatch closes it again).
click() { "$WATCH" click "$PID" "${1:-1}"; }

# stats: "median [q1 .. q3]" of the numbers on standard input.
stats() {
  sort -g | awk '{ a[NR] = $1 }
    END { q1 = a[int((NR + 3) / 4)]; q3 = a[int((3 * NR + 3) / 4)]
          if (NR % 2) m = a[(NR + 1) / 2]; else m = (a[NR / 2] + a[NR / 2 + 1]) / 2
          printf "%g [%g .. %g]", m, q1, q3 }'
}
median() { stats | awk '{ print $1 }'; }

K50=$(family 50)
if part startup; then
echo "== start-up with 50 people, $ROUNDS rounds, order alternating"
declare -A DOCK RSS CPU
for ((round = 1; round <= ROUNDS; round++)); do
  if ((round % 2)); then order="bare kelvora"; else order="kelvora bare"; fi
  for who in $order; do
    if [ "$who" = bare ]; then start "$BARE"; else start "$K50"; fi
    stop
    DOCK[$who]+="$DOCK_MS "
    RSS[$who]+="$RSS_KIB "
    CPU[$who]+="$CPU_MS "
  done
done
for who in bare kelvora; do
  printf '%-8s to docked icon %s ms   VmRSS %s KiB   CPU %s ms\n' "$who" \
    "$(tr ' ' '\n' <<<"${DOCK[$who]}" | grep . | stats)" \
    "$(tr ' ' '\n' <<<"${RSS[$who]}" | grep . | stats)" \
    "$(tr ' ' '\n' <<<"${CPU[$who]}" | grep . | stats)"
done
ratio() {
  awk -v a="$(tr ' ' '\n' <<<"$1" | grep . | median)" -v b="$(tr ' ' '\n' <<<"$2" | grep . | median)" \
    'BEGIN { printf "%.2f", a / b }'
}
printf 'ratio    start-up %s   memory %s   CPU %s   (medians; target <= 1.1)\n' \
  "$(ratio "${DOCK[kelvora]}" "${DOCK[bare]}")" "$(ratio "${RSS[kelvora]}" "${RSS[bare]}")" \
  "$(ratio "${CPU[kelvora]}" "${CPU[bare]}")"
fi

if part sizes; then
echo "== family size: memory, and tray click -> menu shown (first click one second after the start)"
# The empty list's menu is opened too: the first opening of any menu costs
# the same few MiB, which are no person's.
start "$(family 0)"
click 1 >/dev/null
sleep 1
RSS0=$(awk '/^VmRSS/ { print $2 }' "/proc/$PID/status")
stop
for n in 3 1000 10000; do
  start "$(family "$n")"
  first=$(click 1)
  sleep 1
  rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$PID/status")
  later=$(for _ in 1 2 3 4 5 6 7; do click 1; done | stats)
  stop
  each=""
  ((n >= 1000)) && each=$(awk -v a="$rss" -v b="$RSS0" -v n="$n" 'BEGIN { printf " (%.2f KiB a person over an empty list)", (a - b) / n }')
  printf '%6d people   VmRSS %6d KiB%s   click -> menu: first %s ms, then %s ms\n' "$n" "$rss" "$each" "$first" "$later"
done
fi

part idle || exit 0

echo "== idle, $IDLE s after settling"
# CPU time (scheduler accounting) and context switches of every thread.
idle_counts() {
  cat /proc/"$1"/task/*/schedstat | awk '{ ns += $1 } END { printf "%d ", ns / 1e6 }'
  cat /proc/"$1"/task/*/status | awk '/ctxt_switches/ { s += $2 } END { print s }'
}
for who in bare kelvora; do
  if [ "$who" = bare ]; then start "$BARE"; else start "$K50"; fi
  sleep 5
  read -r c0 w0 <<<"$(idle_counts "$PID")"
  sleep "$IDLE"
  read -r c1 w1 <<<"$(idle_counts "$PID")"
  stop
  printf '%-8s idle CPU %d ms over %d s, %.2f wakeups a second\n' "$who" $((c1 - c0)) "$IDLE" \
    "$(awk -v w=$((w1 - w0)) -v s="$IDLE" 'BEGIN { print w / s }')"
done
