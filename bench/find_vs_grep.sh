#!/usr/bin/env bash
# `tessaline --find` as a whole process against `grep -c` over a text file listing the same paths: the floor
# a user would reach for. Uses the tree and catalogue that CatalogueIndexBench leaves behind (run it first).
#
# Usage: bench/find_vs_grep.sh [BUILD_DIR] [RUNS]     (RUNS of each word; 11 by default)
set -euo pipefail
build=${1:-build}
runs=${2:-11}
app="$build/src/tessaline"
tree=${TMPDIR:-/tmp}/tessaline-bench-tree
catalogue=${TMPDIR:-/tmp}/tessaline-bench-index.sqlite
[ -x "$app" ] || { echo "missing $app: build first" >&2; exit 1; }
[ -f "$catalogue" ] || { echo "missing $catalogue: run $build/bench/CatalogueIndexBench first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data/tessaline"
ln -s "$catalogue" "$work/data/tessaline/catalogue.sqlite"
find "$tree" > "$work/paths.txt"

# Milliseconds of one run of a command, output thrown away.
millis() {
    local start end
    start=$(date +%s%N)
    "$@" > "$work/out" || true
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

printf '%-10s %8s %12s %10s %6s\n' word matches "--find (ms)" "grep (ms)" ratio
for word in ab scan Журнал café 2019 part scan-4711; do
    matches=$( (XDG_DATA_HOME="$work/data" "$app" --find "$word" || true) | wc -l)
    find_ms=$(for _ in $(seq "$runs"); do XDG_DATA_HOME="$work/data" millis "$app" --find "$word"; done | median)
    grep_ms=$(for _ in $(seq "$runs"); do millis grep -c -i -F "$word" "$work/paths.txt"; done | median)
    printf '%-10s %8s %12s %10s %6s\n' "$word" "$matches" "$find_ms" "$grep_ms" \
        "$(awk -v a="$find_ms" -v b="$grep_ms" 'BEGIN { printf "%.1f", (b > 0 ? a / b : 0) }')"
done
