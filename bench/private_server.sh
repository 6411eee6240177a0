# Sourced by the benchmarks that need a PostgreSQL server: starts a private one in the folder $out (initdb
# there, a unix socket there, run as nobody when this runs as root), with PostgreSQL's own defaults for
# durability, and stops it and removes $out when the script ends. Needs $out and $app (the program, for
# new_catalogue); gives $bin (the server's programs) and these functions:
#   new_catalogue NAME   a new database NAME with a catalogue made by the program; prints its connection
#   on_server NAME ...   psql on the database NAME, quietly, with the rest of the arguments
#   server_ms NAME ...   the milliseconds that each statement on stdin takes on the database NAME, a line
#                        each, in one session
#   field NAME           from a benchmark's line on stdin, the number after NAME
#   median               the median of the numbers on stdin, one a line
bin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
as_server=()
if [ "$(id -u)" -eq 0 ]; then
    chown nobody:nogroup "$out"
    as_server=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
"${as_server[@]}" "$bin/initdb" -D "$out/data" -U tessaline --auth=trust -E UTF8 --locale=C.UTF-8 \
    >"$out/initdb.log"
"${as_server[@]}" "$bin/pg_ctl" -D "$out/data" -l "$out/server.log" -w \
    -o "-k $out -c listen_addresses= -c max_wal_size=4GB" start >/dev/null
stop_server() {
    "${as_server[@]}" "$bin/pg_ctl" -D "$out/data" -m fast stop >/dev/null 2>&1 || true
    rm -rf "$out"
}
trap stop_server EXIT
new_catalogue() {
    "$bin/createdb" -h "$out" -U tessaline "$1"
    "$app" --catalogue "host=$out user=tessaline dbname=$1" --init >/dev/null
    echo "host=$out user=tessaline dbname=$1"
}
on_server() {
    local name=$1
    shift
    "$bin/psql" -h "$out" -U tessaline -d "$name" -qX -v ON_ERROR_STOP=1 "$@"
}
server_ms() {
    { echo '\timing on'; cat; } | on_server "$@" | sed -n 's/^Time: \([0-9.]*\) ms.*/\1/p'
}
field() { sed -n "s/.* $1 \([0-9.]*\).*/\1/p"; }
median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
