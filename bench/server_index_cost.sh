#!/usr/bin/env bash
# What the shared catalogue's trigram index costs a walk, and what indexing other strings would cost, on a
# local PostgreSQL server, over the first DISKS disks of the realistic tree (bench/realistic_tree.py):
#   - recording those disks into the file, into a catalogue as --init makes it, and into one without its
#     trigram index: the index's share of the server's time;
#   - the same trigram index over the strings a catalogue could index instead: whole paths (as now), the
#     entries' own names, each distinct name once, each folder's path once; and a GiST trigram index over
#     whole paths; each built as walks build it (a disk at a time, committed, into an index that is
#     already there) and built at once (CREATE INDEX after the rows);
#   - how much this machine's timings scatter: one query that only reckons, the same each time.
# Usage: bench/server_index_cost.sh [BUILD_DIR] [DISKS]   (build-rel and 100 by default)
set -euo pipefail
build=${1:-build-rel}
disks=${2:-100}
here=$(cd "$(dirname "$0")" && pwd)
app="$build/src/tessaline"
recorder="$build/bench/CatalogueRecordBench"
tree=${TMPDIR:-/tmp}/tessaline-realistic-tree
out=$(mktemp -d "${TMPDIR:-/tmp}/tessaline-index-cost-XXXXXX")
export LC_ALL=C.UTF-8

for program in "$app" "$recorder"; do
    [ -x "$program" ] || { echo "missing $program: build with benchmarks first" >&2; exit 1; }
done
python3 "$here/realistic_tree.py" "$tree"
. "$here/private_server.sh"
find "$tree" >/dev/null

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
    "PostgreSQL $("$bin/postgres" --version | awk '{print $3}'), load $(cut -d' ' -f1-3 /proc/loadavg)"
file_s=$("$recorder" "$tree" "$out/catalogue.sqlite" "$disks" | field seconds)
made=$(new_catalogue made)
line=$("$recorder" "$tree" "$made" "$disks")
made_s=$(echo "$line" | field seconds)
new_catalogue bare >/dev/null
on_server bare -c "DROP INDEX tessaline.entries_folded"
bare_s=$("$recorder" "$tree" "host=$out user=tessaline dbname=bare" "$disks" | field seconds)
echo "recording $(echo "$line" | field entries) entries on $disks disks: file $file_s s," \
    "server $made_s s ($(echo "$made_s $file_s" | awk '{printf "%.2f", $1 / $2}')x)," \
    "server without the trigram index $bare_s s ($(echo "$bare_s $file_s" | awk '{printf "%.2f", $1 / $2}')x)"

# The strings, each with its disk, from the catalogue as recorded.
on_server made <<'SQL'
CREATE TABLE public.strings AS SELECT list, folded AS path, right(folded, char_length(name)) AS name,
    left(folded, char_length(folder)) AS folder FROM tessaline.entries;
CREATE INDEX ON public.strings (list);
ANALYZE public.strings;
SQL
# The trigram index of METHOD (gin or gist) over the strings that the SELECT (over public.strings s, for
# the disk l) gives, built a disk at a time and at once; prints the two times in seconds.
index_cost() {
    local name=$1 method=$2 select=$3 conflict=${4:-}
    local walks at_once
    walks=$(server_ms made <<SQL | tail -1
CREATE TABLE public.$name (id serial, key text NOT NULL $([ -n "$conflict" ] && echo UNIQUE));
CREATE INDEX ON public.$name USING $method (key tessaline.${method}_trgm_ops);
CREATE PROCEDURE public.fill_$name() LANGUAGE plpgsql AS \$\$
DECLARE l bigint;
BEGIN
    FOR l IN SELECT DISTINCT list FROM public.strings ORDER BY 1 LOOP
        INSERT INTO public.$name (key) $select $conflict;
        COMMIT;
    END LOOP;
END \$\$;
CHECKPOINT;
CALL public.fill_$name();
SQL
    )
    at_once=$(server_ms made <<SQL | tail -1
CREATE TABLE public.${name}_at_once AS SELECT key FROM public.$name;
CHECKPOINT;
CREATE INDEX ON public.${name}_at_once USING $method (key tessaline.${method}_trgm_ops);
SQL
    )
    local rows
    rows=$(on_server made -Atc "SELECT count(*) FROM public.$name")
    printf '%-34s %8s strings  a disk at a time %6.2f s  at once %6.2f s\n' "$name" "$rows" \
        "$(echo "$walks" | awk '{print $1 / 1000}')" "$(echo "$at_once" | awk '{print $1 / 1000}')"
}
echo "the trigram index over:"
index_cost whole_paths gin "SELECT s.path FROM public.strings s WHERE s.list = l"
index_cost own_names gin "SELECT s.name FROM public.strings s WHERE s.list = l"
index_cost names_once gin "SELECT DISTINCT s.name FROM public.strings s WHERE s.list = l ORDER BY 1" \
    "ON CONFLICT DO NOTHING"
index_cost folder_paths gin "SELECT DISTINCT s.folder FROM public.strings s WHERE s.list = l"
index_cost whole_paths_gist gist "SELECT s.path FROM public.strings s WHERE s.list = l"

# In one session, after one to warm it.
scatter=$(for _ in $(seq 21); do
    echo "SELECT count(*) FROM generate_series(1, 300000);"
done | server_ms made | tail -n +2 | sort -g)
echo "one query, 20 times: fastest $(echo "$scatter" | head -1) ms, median $(echo "$scatter" | median) ms," \
    "slowest $(echo "$scatter" | tail -1) ms"
