#!/usr/bin/env bash
# What a terminal command costs as a whole process: `tessaline --version` and a `tessaline --find` that
# finds nothing, against plocate, the quickest file finder a user would reach for, doing the same: its
# --version, and a search for the same word in a plocate database of the same tree. What is left when
# nothing is found is a program's fixed cost: starting, opening its index, looking a word up. /bin/true
# shows what starting any process costs here.
#
# Uses the tree and catalogue that CatalogueIndexBench leaves behind (run it first); the plocate database
# is made from the same tree in a temporary folder. Each round runs every command once, in turn; the
# figures are medians over the rounds, the ratios medians of the ratios within each round. Every time
# includes starting the process from this shell.
#
# Usage: bench/cli_vs_plocate.sh [BUILD_DIR] [ROUNDS]     (ROUNDS: 101 by default)
set -euo pipefail
build=${1:-build}
rounds=${2:-101}
app="$build/src/tessaline"
tree=${TMPDIR:-/tmp}/tessaline-bench-tree
catalogue=${TMPDIR:-/tmp}/tessaline-bench-index.sqlite
word=qzxvkj # in no name of the tree
[ -x "$app" ] || { echo "missing $app: build first" >&2; exit 1; }
[ -f "$catalogue" ] && [ -f "$tree/.complete" ] ||
    { echo "missing $catalogue or $tree: run $build/bench/CatalogueIndexBench first" >&2; exit 1; }
command -v plocate >/dev/null && command -v updatedb >/dev/null ||
    { echo "missing plocate: apt-get install plocate" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data/tessaline"
ln -s "$catalogue" "$work/data/tessaline/catalogue.sqlite"
updatedb --output "$work/plocate.db" --database-root "$tree" --require-visibility no \
    --prunepaths "" --prunenames "" --prunefs ""
export XDG_DATA_HOME="$work/data"

# Microseconds of one run, output thrown away; the exit status must be the one given.
micros() {
    local status=$1 start end code=0
    shift
    start=$EPOCHREALTIME
    "$@" > /dev/null || code=$?
    end=$EPOCHREALTIME
    [ "$code" -eq "$status" ] || { echo "$* ended with $code, not $status" >&2; exit 1; }
    echo $(((${end/./} - ${start/./})))
}

: > "$work/rounds"
for _ in $(seq 5); do # warm the caches: every command of a round, a few times
    micros 0 /bin/true >/dev/null; micros 0 "$app" --version >/dev/null; micros 0 plocate --version >/dev/null
    micros 1 "$app" --find "$word" >/dev/null; micros 1 plocate -i -d "$work/plocate.db" "$word" >/dev/null
done
for _ in $(seq "$rounds"); do
    echo "$(micros 0 /bin/true) $(micros 0 "$app" --version) $(micros 0 plocate --version)" \
        "$(micros 1 "$app" --find "$word") $(micros 1 plocate -i -d "$work/plocate.db" "$word")" \
        >> "$work/rounds"
done
# Columns: true, tessaline --version, plocate --version, tessaline --find, plocate search.

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
ms() { awk -v c="$1" '{print $c / 1000}' "$work/rounds" | median; }
ratio() { awk -v n="$1" -v d="$2" '{print $n / $d}' "$work/rounds" | median; }

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "catalogue: $(du -h "$catalogue" | cut -f1); rounds: $rounds; medians, each time a whole process started from the shell:"
printf '  /bin/true                           %6.2f ms\n' "$(ms 1)"
printf '  tessaline --version                 %6.2f ms   plocate --version           %6.2f ms   ratio %.2f\n' \
    "$(ms 2)" "$(ms 3)" "$(ratio 2 3)"
printf '  tessaline --find %s (nothing)   %6.2f ms   plocate -i %s (nothing) %6.2f ms   ratio %.2f\n' \
    "$word" "$(ms 4)" "$word" "$(ms 5)" "$(ratio 4 5)"
printf '  --find (nothing) to plocate --version: %.2f x\n' "$(ratio 4 3)"
