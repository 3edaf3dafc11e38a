#!/usr/bin/env bash
# The seeded user-action run of the window tests, longer and over many seeds than in CI.
# Usage: bench/monkey.sh [SEEDS] [STEPS]   (defaults: 20 seeds from 1, 20000 steps each)
# A failing seed is printed with the last steps it took; run it again with DYADMON_MONKEY_TRACE=1
# to see every step and every message.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build
seeds=${1:-20}
steps=${2:-20000}

cmake -S "$top" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target dyad_gui_tests >/dev/null || exit 2
failed=0
for seed in $(seq "$seeds"); do
  start=$(date +%s)
  if DYADMON_MONKEY_SEED=$seed DYADMON_MONKEY_STEPS=$steps QT_QPA_PLATFORM=offscreen \
    "$build/tests/dyad_gui_tests" --gtest_filter='Monkey.*' >"/tmp/dyadmon-monkey-$seed.txt" 2>&1; then
    echo "seed $seed: $steps steps passed in $(($(date +%s) - start)) s"
    rm -f "/tmp/dyadmon-monkey-$seed.txt"
  else
    echo "seed $seed: FAILED (status $?), see /tmp/dyadmon-monkey-$seed.txt"
    failed=1
  fi
done
exit $failed
