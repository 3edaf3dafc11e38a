# Sourced by the benchmark scripts. best CMD...: the best wall time of $runs runs of CMD, in seconds,
# its output thrown away; a function before_each, when the script defines one, runs untimed first.
best() {
  local best="" t s e
  for _ in $(seq "$runs"); do
    if declare -F before_each >/dev/null; then before_each; fi
    s=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    e=$(date +%s%N)
    t=$(((e - s) / 1000000))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  awk -v ms="$best" 'BEGIN { printf "%.3f", ms / 1000 }'
}
