#!/usr/bin/env bash
# The catalogue against plocate over one tree of 1,000,000 realistic names on 500 disks
# (bench/realistic_tree.py): recording every disk (CatalogueRecordBench: each folder diskNNN walked and
# written as one disk, as the program records a disk) against plocate's updatedb over the same tree; the
# two files' sizes; and `tessaline --find W` against `plocate -i W` for 20 words, from a word in a few
# names to words in nearly every path, and a word that is nowhere.
#
# Each round runs both commands of a pair in turn; a pair's figure is the median over the rounds of the
# ratio within each round, so a busy machine slows both alike. Every search is a whole process started
# from this shell, with its output thrown away.
#
# The counts are checked: plocate matches a word anywhere in the full path, the catalogue within what is
# on the disk. So plocate's paths are cut below the tree's disk folder (`disk042/`), and the rest is held
# to each of the catalogue's rules in turn — the word in the entry's name (a one-letter word: the whole
# name), or anywhere in its path on the disk; a word's line says which rule gives tessaline's count, and
# "MISMATCH" when none does. plocate is then timed asking the same question, so that both print the same
# lines: `plocate -i W` for the path, `plocate -i -b W` for the name, `plocate -i -b -r '^W$'` for the
# whole name; its count must equal tessaline's. The words hold nothing of the tree's own folder names.
#
# Usage: bench/catalogue_vs_plocate.sh [BUILD_DIR] [SEARCH_ROUNDS] [RECORD_ROUNDS]   (11 and 3 by default)
# The tree (made once, kept) is $TMPDIR/tessaline-realistic-tree; the catalogue and plocate's database are
# kept in $TMPDIR/tessaline-realistic/ for a look afterwards.
set -euo pipefail
build=${1:-build}
rounds=${2:-11}
record_rounds=${3:-3}
here=$(cd "$(dirname "$0")" && pwd)
app="$build/src/tessaline"
recorder="$build/bench/CatalogueRecordBench"
tree=${TMPDIR:-/tmp}/tessaline-realistic-tree
out=${TMPDIR:-/tmp}/tessaline-realistic
catalogue="$out/data/tessaline/catalogue.sqlite"
database="$out/plocate.db"
nothing=qzxvkj # in no name of the tree
words=(x o jp ov fl img nef pdf jpg ing été 2019 scan backup invoice фото dubrovnik müller img_1234 20190312)
export LC_ALL=C.UTF-8 # plocate -i folds the case of non-ASCII letters in a UTF-8 locale only

[ -x "$app" ] && [ -x "$recorder" ] || { echo "missing $app or $recorder: build with benchmarks first" >&2; exit 1; }
if ! command -v plocate >/dev/null || ! command -v updatedb >/dev/null; then
    echo "installing plocate..." >&2
    if [ "$(id -u)" -eq 0 ]; then apt-get install -y plocate >&2; else sudo apt-get install -y plocate >&2; fi
fi
python3 "$here/realistic_tree.py" "$tree"
mkdir -p "$out/data/tessaline"
export XDG_DATA_HOME="$out/data"

updatedb_tree() {
    updatedb --output "$database" --database-root "$tree" --require-visibility no \
        --prunepaths "" --prunenames "" --prunefs ""
}
# Seconds of one run.
seconds() {
    local start=$EPOCHREALTIME
    "$@" > /dev/null
    local end=$EPOCHREALTIME
    echo "$(((${end/./} - ${start/./})))" | awk '{printf "%.3f", $1 / 1e6}'
}
# Microseconds of one run, output thrown away; the exit status must be 0 or 1.
micros() {
    local start end code=0
    start=$EPOCHREALTIME
    "$@" > /dev/null || code=$?
    end=$EPOCHREALTIME
    [ "$code" -le 1 ] || { echo "$* ended with $code" >&2; exit 1; }
    echo $(((${end/./} - ${start/./})))
}
median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
    "load $(cut -d' ' -f1-3 /proc/loadavg) at the start"
echo "tree: $(find "$tree" -mindepth 2 | wc -l) entries on $(find "$tree" -mindepth 1 -maxdepth 1 -type d | wc -l) disks"

# Recording: both warm (the tree's folders in the page cache), in turn. RECORD_ROUNDS 0 searches the
# files of the last run again.
if [ "$record_rounds" -gt 0 ]; then
find "$tree" > /dev/null
: > "$out/record"
for _ in $(seq "$record_rounds"); do
    plocate_s=$(seconds updatedb_tree)
    line=$("$recorder" "$tree" "$catalogue")
    echo "$plocate_s $(echo "$line" | awk '{print $6}')" >> "$out/record"
done
read -r _ _ _ entries _ _ _ bytes <<< "$line"
plocate_bytes=$(stat -c %s "$database")
echo
echo "recording $entries entries ($record_rounds rounds, medians):"
awk '{print $1}' "$out/record" | median | xargs printf '  plocate updatedb            %7.2f s\n'
awk '{print $2}' "$out/record" | median | xargs printf '  catalogue (walk + record)   %7.2f s\n'
awk '{print $2 / $1}' "$out/record" | median | xargs printf '  ratio                       %7.2f x\n'
echo "files:"
awk -v b="$plocate_bytes" -v n="$entries" 'BEGIN {printf "  plocate.db                  %7.1f MB  %6.1f bytes an entry\n", b / 1e6, b / n}'
awk -v b="$bytes" -v n="$entries" 'BEGIN {printf "  catalogue.sqlite            %7.1f MB  %6.1f bytes an entry\n", b / 1e6, b / n}'
awk -v b="$bytes" -v p="$plocate_bytes" 'BEGIN {printf "  ratio                       %7.2f x\n", b / p}'
fi

# Counts: tessaline's lines against plocate's paths under each rule.
check() {
    python3 - "$1" "$tree" "$2" "$3" <<'EOF'
import sys
word, tree, ours, theirs = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4]
w = word.lower()
ours = sum(1 for _ in open(ours, encoding="utf-8", errors="replace"))
printed = below = name = whole = 0
for line in open(theirs, encoding="utf-8", errors="surrogateescape"):
    printed += 1
    path = line.rstrip("\n")
    if not path.startswith(tree + "/disk"):
        continue
    parts = path[len(tree) + 1:].split("/", 1)
    if len(parts) < 2:
        continue
    rel = parts[1].lower()
    base = rel.rsplit("/", 1)[-1]
    below += w in rel
    name += w in base
    whole += base == w
rules = [("path", below)] + ([("whole-name", whole)] if len(word) == 1 else [("name", name)])
same = [r for r, n in rules if n == ours]
print(f"{ours} {printed} {';'.join(same) if same else 'MISMATCH'} "
      + ",".join(f"{r}={n}" for r, n in rules))
EOF
}

echo
echo "searches ($rounds rounds; times are medians, ratio the median and max of tessaline / plocate within a round):"
for w in "${words[@]}"; do
    "$app" --find "$w" > "$out/ours" || true
    plocate -i -d "$database" "$w" > "$out/theirs" || true
    read -r ours printed rule detail <<< "$(check "$w" "$out/ours" "$out/theirs")"
    # plocate asked the same question: the whole path, the name alone (-b), or the whole name.
    case "$rule" in
        path*) ask=(plocate -i -d "$database" "$w") label="plocate -i" ;;
        name*) ask=(plocate -i -b -d "$database" "$w") label="plocate -i -b" ;;
        whole-name*) ask=(plocate -i -b -d "$database" -r "^$w\$") label="plocate -i -b -r ^W\$" ;;
        *) ask=(plocate -i -d "$database" "$w") label="plocate -i" ;;
    esac
    printed=$({ "${ask[@]}" || true; } | wc -l)
    [ "$printed" -eq "$ours" ] || rule="MISMATCH:$rule"
    : > "$out/times"
    for _ in $(seq "$rounds"); do
        echo "$(micros "$app" --find "$w") $(micros "${ask[@]}")" >> "$out/times"
    done
    t=$(awk '{print $1 / 1000}' "$out/times" | median)
    p=$(awk '{print $2 / 1000}' "$out/times" | median)
    r=$(awk '{print $1 / $2}' "$out/times" | median)
    m=$(awk '{print $1 / $2}' "$out/times" | sort -g | tail -1)
    printf '  %-10s tessaline %8.1f ms %7d  %-22s %8.1f ms %7d   ratio %5.2f (max %5.2f)  rule %s (%s)\n' \
        "$w" "$t" "$ours" "$label" "$p" "$printed" "$r" "$m" "$rule" "$detail"
    echo "$r" >> "$out/ratios"
done
printf '  median of the 20 ratios %.2f, largest %.2f\n' "$(median < "$out/ratios")" "$(sort -g "$out/ratios" | tail -1)"
rm -f "$out/ratios"

# A word that is nowhere: each program's fixed cost, beside plocate's start alone.
: > "$out/times"
for _ in $(seq "$((rounds * 3))"); do
    echo "$(micros "$app" --find "$nothing") $(micros plocate -i -d "$database" "$nothing")" \
        "$(micros plocate --version)" >> "$out/times"
done
echo
printf '  nothing found (%s): tessaline %.1f ms, plocate %.1f ms, ratio %.2f; plocate --version %.1f ms\n' \
    "$nothing" "$(awk '{print $1 / 1000}' "$out/times" | median)" "$(awk '{print $2 / 1000}' "$out/times" | median)" \
    "$(awk '{print $1 / $2}' "$out/times" | median)" "$(awk '{print $3 / 1000}' "$out/times" | median)"
echo "load $(cut -d' ' -f1-3 /proc/loadavg) at the end"
