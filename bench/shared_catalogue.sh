#!/usr/bin/env bash
# The shared catalogue on a local PostgreSQL server against the catalogue file, over the tree of 1,000,000
# realistic names on 500 disks (bench/realistic_tree.py):
#   - recording every disk (CatalogueRecordBench) into the file and into a new catalogue on the server, in
#     turn each round; the ratio is the median of the rounds' ratios;
#   - the Catalogue window's search (the first 1,000 hits and the count, CatalogueLatencyBench) for the 20
#     words of bench/catalogue_vs_plocate.sh, on both: median and 95th percentile of every search;
#   - the least an exact count of a word costs on the server: the server counting its matches through the
#     trigram index and nothing else, for the words the index narrows (three letters in a row; shorter
#     ones are reckoned, not counted); the words are in lower case already, so folding leaves them;
#   - two desks recording at once: two recorders into one new catalogue on the server at the same time,
#     against one alone; afterwards every disk and every entry of both must be there.
# The server is a private one (initdb into a temporary folder, a unix socket there, run as nobody when
# this runs as root), with PostgreSQL's own defaults for durability (fsync, synchronous commit): the file's
# writes are synced too. It is stopped and removed at the end.
# Usage: bench/shared_catalogue.sh [BUILD_DIR] [ROUNDS] [SEARCH_ROUNDS]   (3 and 5 by default)
set -euo pipefail
build=${1:-build-rel}
rounds=${2:-3}
search_rounds=${3:-5}
here=$(cd "$(dirname "$0")" && pwd)
app="$build/src/tessaline"
recorder="$build/bench/CatalogueRecordBench"
latency="$build/bench/CatalogueLatencyBench"
tree=${TMPDIR:-/tmp}/tessaline-realistic-tree
out=$(mktemp -d "${TMPDIR:-/tmp}/tessaline-shared-bench-XXXXXX")
words=(x o jp ov fl img nef pdf jpg ing été 2019 scan backup invoice фото dubrovnik müller img_1234 20190312)
export LC_ALL=C.UTF-8

for program in "$app" "$recorder" "$latency"; do
    [ -x "$program" ] || { echo "missing $program: build with benchmarks first" >&2; exit 1; }
done
python3 "$here/realistic_tree.py" "$tree"

. "$here/private_server.sh"

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
    "PostgreSQL $("$bin/postgres" --version | awk '{print $3}'), load $(cut -d' ' -f1-3 /proc/loadavg)"
find "$tree" >/dev/null
: >"$out/ratios"
for round in $(seq "$rounds"); do
    file_s=$("$recorder" "$tree" "$out/catalogue.sqlite" | field seconds)
    server=$(new_catalogue "round$round")
    line=$("$recorder" "$tree" "$server")
    server_s=$(echo "$line" | field seconds)
    echo "recording, round $round: file $file_s s, server $server_s s ($(echo "$line" | field entries) entries)"
    echo "$server_s $file_s" | awk '{print $1 / $2}' >>"$out/ratios"
done
echo "recording: server / file = $(median <"$out/ratios") (median of $rounds rounds)"

echo "search, the file:"
"$latency" "$out/catalogue.sqlite" "$search_rounds" "${words[@]}" | tail -1
echo "search, the server:"
"$latency" "$server" "$search_rounds" "${words[@]}"
echo "the count alone, on the server:"
: >"$out/counts"
for word in "${words[@]}"; do
    [[ $word =~ [[:alnum:]]{3} ]] || continue
    pattern="%$(printf '%s' "$word" | sed 's/[\\%_]/\\&/g')%"
    # In one session, after one count to warm it, as the Catalogue window keeps its session.
    for _ in $(seq $((search_rounds + 1))); do
        echo "SELECT count(*) FROM tessaline.entries WHERE folded LIKE :'pattern';"
    done | server_ms "round$rounds" -v pattern="$pattern" | tail -n +2 >"$out/word"
    printf '%-12s median %8.2f ms\n' "$word" "$(median <"$out/word")"
    cat "$out/word" >>"$out/counts"
done
echo "the count alone: median $(median <"$out/counts") ms," \
    "p95 $(sort -g "$out/counts" | awk '{a[NR]=$1} END {print a[int(0.95 * (NR - 1) + 1.5)]}') ms"

# Two desks at once, each as one alone did above.
both=$(new_catalogue both)
"$recorder" "$tree" "$both" >"$out/desk1" &
one=$!
"$recorder" "$tree" "$both" >"$out/desk2" &
two=$!
wait "$one" "$two"
alone=$server_s # the last round's
for desk in 1 2; do
    s=$(field seconds <"$out/desk$desk")
    echo "two desks at once: desk $desk $s s, $(echo "$s $alone" | awk '{printf "%.2f", $1 / $2}')x one alone"
done
"$app" --catalogue "$both" --disks | awk -F'\t' '{disks++; entries += $9} END {print "recorded: " disks " disks, " entries " entries"}'
