#!/usr/bin/env bash
# Two 1 GiB files that differ near the start: a fresh dyadmon-windows --grab (reading, comparing and
# painting the first screen) against cmp -l reading them whole, and the program's peak memory.
# Usage: bench/bigfiles.sh [CASE-FOLDER]   (the pair, 2 GiB, is made once and kept)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build
cases=${1:-/tmp/dyadmon-bigfiles}
runs=${RUNS:-3}
cmake --build "$build" --target dyadmon-windows >/dev/null
mkdir -p "$cases"
cd "$cases"
if [ ! -f b ]; then
  head -c 1073741824 /dev/urandom > a
  cp a b
  printf 'XYZ' | dd of=b bs=1 seek=100 conv=notrunc 2>/dev/null
fi
cat a b > /dev/null # into the page cache
source "$top/bench/best.sh"
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$cases/config"
peer=$(best bash -c "cmp -l a b | cat > /dev/null")
ours=$(best "$build/views/dyadmon-windows" --grab shot.png a b)
awk -v p="$peer" -v o="$ours" 'BEGIN { printf "first screen of two 1 GiB files: cmp -l %.3f s, dyadmon %.3f s (goal at most 2x cmp: %s)\n", p, o, (o <= 2 * p ? "met" : "NOT MET") }'
/usr/bin/time -o peak.txt -f %M "$build/views/dyadmon-windows" --grab shot.png a b >/dev/null 2>&1 || true
peak=$(tail -n 1 peak.txt)
awk -v kb="$peak" 'BEGIN { printf "peak memory: %.0f MB (goal at most 700 MB: %s)\n", kb / 1024, (kb <= 700 * 1024 ? "met" : "NOT MET") }'
