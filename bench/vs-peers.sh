#!/usr/bin/env bash
# Times dyadmon-cli against what a user would run instead (cmp, diff of two xxd dumps) on cases made
# from a fixed seed, and prints the ratios beside the goals. Usage: bench/vs-peers.sh [CASE-FOLDER]
# The cases (about 2.8 GB) are made once and kept in the folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build
cases=${1:-/tmp/dyadmon-bench}
runs=${RUNS:-3}

for tool in cmp diff xxd /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "vs-peers: $tool is missing (scripts/setup installs it)" >&2; exit 2; }
done
cmake -S "$top" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target dyadmon-cli dyad-gencases dyad_bench >/dev/null
cli=$build/cli/dyadmon-cli

mkdir -p "$cases"
if [ ! -f "$cases/.complete" ] || [ ! -f "$cases/alternating10.b" ]; then
  echo "making the cases in $cases ..." >&2
  "$build/bench/dyad-gencases" "$cases"
  touch "$cases/.complete"
fi
cd "$cases"
cat ./* > /dev/null # into the page cache

# The output file is removed (untimed) before each run.
before_each() { rm -f out; }
source "$top/bench/best.sh"

row() { # name, peer seconds, our seconds, goal
  awk -v n="$1" -v p="$2" -v o="$3" -v g="$4" \
    'BEGIN { r = p / o; printf "%-52s %8.3f s %8.3f s %7.1fx   goal %sx  %s\n", n, p, o, r, g, (r >= g ? "met" : "NOT MET") }'
}

printf "%-52s %10s %10s %8s\n" "case" "peer" "dyadmon" "ratio"
peer=$(best cmp identical.a identical.b)
ours=$(best "$cli" compare --format json --log out identical.a identical.b)
row "identical 1 GiB, unit 8: cmp vs --format json" "$peer" "$ours" 3

for c in scattered inserted swapped; do
  peer=$(best bash -c "diff <(xxd base100.a) <(xxd $c.b) > out")
  ours=$(best "$cli" compare --lookahead 100 --log out base100.a "$c.b")
  row "$c 100 MB, look-ahead 100: full log vs diff" "$peer" "$ours" 10
done
# Unrelated data makes a block every byte or so: the full log is about 80 times the input.
peer=$(best bash -c "diff <(xxd random10.a) <(xxd random10.b) > out")
ours=$(best "$cli" compare --unit 1 --lookahead 100 --log out random10.a random10.b)
row "random 10 MB, unit 1, look-ahead 100: log vs diff" "$peer" "$ours" 2
ours=$(best "$cli" compare --unit 1 --lookahead 100 --format json --log /dev/null random10.a random10.b)
row "random 10 MB, unit 1, look-ahead 100: json vs diff" "$peer" "$ours" 3

# A block every 8-byte unit: 1.3 million blocks. GNU cmp stops at the first difference when it writes
# to /dev/null, so its listing goes through a pipe.
peer=$(best bash -c "cmp -l zeros10.a alternating10.b | cat > /dev/null")
ours=$(best bash -c "$cli compare --format json zeros10.a alternating10.b | cat > /dev/null")
row "alternating 10 MiB, unit 8: json vs cmp -l" "$peer" "$ours" 1
ours=$(best bash -c "$cli compare zeros10.a alternating10.b | cat > /dev/null")
row "alternating 10 MiB, unit 8: full log vs cmp -l" "$peer" "$ours" 1

# The unit-by-unit reference takes about 25 s a MiB on random data, so both run on 1 MiB here.
"$build/bench/dyad_bench" --benchmark_filter='(Engine|Literal)RandomUnit1LookAhead100/1/' \
  --benchmark_format=csv 2>/dev/null | awk -F, '
  /Literal/ { lit = $3 } /Engine/ { eng = $3 }
  END { printf "%-52s %8.3f s %8.3f s %7.1fx   goal 5x  %s\n", "random 1 MiB, unit 1, look-ahead 100: literal walk",
        lit / 1000, eng / 1000, lit / eng, (lit / eng >= 5 ? "met" : "NOT MET") }'

# Peak resident memory, the mapped files included.
peak=$( { /usr/bin/time -f %M "$cli" compare --lookahead 100 --log out mem256.a mem256.b >/dev/null || true; } 2>&1 | tail -n 1)
rm -f out
awk -v kb="$peak" 'BEGIN { limit = 2 * 256 * 1024 * 1.10;
  printf "%-52s %8.0f MiB peak, limit %.0f MiB  %s\n", "two 256 MiB files, full log: memory", kb / 1024, limit / 1024, (kb <= limit ? "met" : "NOT MET") }'
