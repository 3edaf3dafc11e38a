#!/usr/bin/env bash
# Find a pattern that is not in a 1 GiB file of random bytes: dyad-find (the file mapped and searched
# as the windows search it) against grep -c -F -a on the same file, both with the file in the page
# cache. Usage: bench/find.sh [CASE-FOLDER]   (the file is made once and kept)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build
cases=${1:-/tmp/dyadmon-find}
runs=${RUNS:-5}
pattern=${PATTERN:-Dyadmon finds no such text}
cmake --build "$build" --target dyad-find >/dev/null
mkdir -p "$cases"
cd "$cases"
if [ ! -f random ]; then
  head -c 1073741824 /dev/urandom > random
fi
if grep -q -F -a "$pattern" random; then
  echo "find: the pattern is in the file; choose another with PATTERN=" >&2
  exit 2
fi
cat random > /dev/null # into the page cache
source "$top/bench/best.sh"
peer=$(best grep -c -F -a "$pattern" random)
ours=$(best "$build/bench/dyad-find" random "text:$pattern")
{ "$build/bench/dyad-find" random "text:$pattern" || true; } | sed "s/^/dyad-find: /"
awk -v p="$peer" -v o="$ours" 'BEGIN { printf "a pattern not in 1 GiB: grep -c -F -a %.3f s, dyadmon %.3f s (goal no slower than grep: %s)\n", p, o, (o <= p ? "met" : "NOT MET") }'
/usr/bin/time -o peak.txt -f %M "$build/bench/dyad-find" random "text:$pattern" >/dev/null 2>&1 || true
awk -v kb="$(tail -n 1 peak.txt)" 'BEGIN { printf "peak memory of the search: %.0f MB (the pages searched are given back)\n", kb / 1024 }'
