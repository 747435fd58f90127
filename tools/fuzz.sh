#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number
# of seconds (default 60). Fails on any crash, timeout or memory blow-up.
#   tools/fuzz.sh [seconds]
# Build tree: $KELVORA_FUZZ_DIR (default build-fuzz beside the sources).
# New inputs stay in the build tree; the seeds in fuzz/corpus are only read.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
SECONDS_EACH=${1:-60}
DIR=${KELVORA_FUZZ_DIR:-$ROOT/build-fuzz}
TARGETS=(fuzz_settings fuzz_compute)

if [ ! -f "$DIR/CMakeCache.txt" ]; then
  cmake -S "$ROOT" -B "$DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DKELVORA_FUZZ=ON >/dev/null
fi
cmake --build "$DIR" -j"$(nproc)" --target "${TARGETS[@]}"

mkdir -p "$DIR/artifacts" "$DIR/logs" "$DIR/large"
# AddressSanitizer's quarantine of freed memory would otherwise grow towards
# the memory limit in a long run; it is not a leak of ours.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=64}
COMMON=(-timeout=5 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$DIR/artifacts/")

# A settings file of as many people as the reader takes is read once, outside
# the fuzzing loop, so that it does not set the length of every mutated input.
LARGE=$DIR/large/most_people.ini
if [ ! -f "$LARGE" ]; then
  awk 'BEGIN {
    ORS = "\r\n"
    print "H23,6884368"; print "E28,42612413"; print "I33,16381152"
    for (i = 0; i < 30000; i++) {
      print "[\340\355\355\340 " i "]"; print i % 31 + 1; print i % 12 + 1
      print 1900 + i % 200; print i % 2; print i % 32
      if (i % 5000 == 0) print "E" 28 + i % 7
    }
  }' >"$LARGE"
fi
# It reads, writes and reads again some 180 000 lines: more than the per-input limit.
if ! "$DIR/fuzz/fuzz_settings" "${COMMON[@]}" -timeout=120 "$LARGE" >"$DIR/logs/large.log" 2>&1; then
  tail -n 40 "$DIR/logs/large.log" >&2
  echo "fuzz: the large settings file failed" >&2
  exit 1
fi

declare -A SEEDS=([fuzz_settings]="$ROOT/fuzz/corpus/settings" [fuzz_compute]="")
declare -A EXTRA=([fuzz_settings]="-dict=$ROOT/fuzz/settings.dict -max_len=8192" [fuzz_compute]="-max_len=256")

# Both targets at once: one core each.
pids=()
for t in "${TARGETS[@]}"; do
  mkdir -p "$DIR/corpus/$t"
  # shellcheck disable=SC2086
  "$DIR/fuzz/$t" "${COMMON[@]}" ${EXTRA[$t]} -max_total_time="$SECONDS_EACH" \
    "$DIR/corpus/$t" ${SEEDS[$t]} >"$DIR/logs/$t.log" 2>&1 &
  pids+=($!)
done

status=0
for i in "${!TARGETS[@]}"; do
  t=${TARGETS[$i]}
  if wait "${pids[$i]}"; then
    done_line=$(grep -E '^#[0-9]+.*DONE' "$DIR/logs/$t.log" | tail -n 1 || true)
    execs=$(grep -E '^stat::number_of_executed_units' "$DIR/logs/$t.log" | awk '{print $2}' || true)
    echo "fuzz: $t ok, ${execs:-?} runs; ${done_line:-no summary}"
  else
    status=1
    echo "fuzz: $t FAILED (log $DIR/logs/$t.log)" >&2
    grep -E 'ERROR|SUMMARY|fuzz_(settings|compute):|Test unit written' "$DIR/logs/$t.log" | head -n 20 >&2 || true
    tail -n 30 "$DIR/logs/$t.log" >&2
  fi
done
exit $status
