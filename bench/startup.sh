#!/usr/bin/env bash
# Start-up benchmark: tessaline against the floor, a Qt Widgets program that shows one window.
#
# On a private Xvfb display, bench/startup_probe starts a program and waits, as an X client, for the
# MapNotify of its first window (for tessaline: the splash) and for the first drawing into it (its first
# paint, seen through the DAMAGE extension), notes the processor time the program had used by then and
# reads its peak memory; for tessaline it also waits for the main window and reads the peak memory once
# that is up. The two programs run in alternating pairs (the order swapped every pair), so a machine that
# is busy with something else slows both alike; the ratios are taken within each pair and their median
# reported. On a busy machine the processor time is the steadier figure.
#
# Usage: bench/startup.sh [BUILD_DIR] [PAIRS]     (PAIRS: 15 or more; 25 by default)
set -euo pipefail
build=${1:-build}
pairs=${2:-25}
app="$build/src/tessaline"
floor="$build/bench/floor_window"
probe="$build/bench/startup_probe"
for exe in "$app" "$floor" "$probe"; do
    [ -x "$exe" ] || { echo "missing $exe: build first (cmake --build $build)" >&2; exit 1; }
done

work=$(mktemp -d)
# A desktop session's runtime folder (where the single-instance lock lives) is a tmpfs, as /dev/shm is.
runtimes=$(mktemp -d /dev/shm/tessaline-bench.XXXXXX 2>/dev/null || mktemp -d)
xvfb=
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work" "$runtimes"' EXIT
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb
# Keep the program away from the machine's printers and any session bus.
export CUPS_SERVER=/nonexistent/tessaline-bench/cups.sock
unset DBUS_SESSION_BUS_ADDRESS

# One start in a fresh home whose profile names a company, so the main window follows the splash
# without the first-run dialog. Prints the probe's figures.
run() {
    local windows=$1 exe=$2 home runtime
    home=$(mktemp -d "$work/home.XXXX")
    runtime=$(mktemp -d "$runtimes/run.XXXX")
    mkdir -p "$home/config" && chmod 700 "$runtime"
    printf '[GLOBAL]\r\nOWNER=Anna Example\r\nCOMPANY=Example Widgets\r\nZIPDRIVE=/dev/sdb\r\nID_INDEX=41\r\n' \
        > "$home/config/Tesslin1.ini"
    HOME=$home XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$runtime \
        "$probe" --windows "$windows" -- "$exe" 2>"$home/stderr" || { cat "$home/stderr" >&2; return 1; }
    rm -rf "$home" "$runtime"
}

# A warm-up start of each, not counted: the first start of all pays for cold file caches.
run 1 "$floor" >/dev/null
run 2 "$app" >/dev/null

: > "$work/pairs"
for i in $(seq "$pairs"); do
    if [ $((i % 2)) -eq 1 ]; then
        f=$(run 1 "$floor"); a=$(run 2 "$app")
    else
        a=$(run 2 "$app"); f=$(run 1 "$floor")
    fi
    echo "$f $a" >> "$work/pairs"
done
# Columns: floor map, paint, cpu, peak kB; tessaline splash map, paint, cpu, peak kB; main window the same.

median() { sort -g | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
column() { awk -v c="$1" '{print $c}' "$work/pairs" | median; }
ratio() { awk -v n="$1" -v d="$2" '{print $n / $d}' "$work/pairs" | median; }

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "pairs: $pairs (floor and tessaline alternating); medians:"
printf 'first window mapped:         floor %6.1f ms, tessaline (splash) %6.1f ms\n' "$(column 1)" "$(column 5)"
printf 'first window painted:        floor %6.1f ms, tessaline (splash) %6.1f ms\n' "$(column 2)" "$(column 6)"
printf 'processor time to the paint: floor %6.1f ms, tessaline (splash) %6.1f ms\n' "$(column 3)" "$(column 7)"
printf 'peak memory, first window:   floor %6d kB, tessaline (splash) %6d kB\n' "$(column 4)" "$(column 8)"
printf 'peak memory, main window up: tessaline %d kB (main window mapped at %.0f ms)\n' "$(column 12)" "$(column 9)"
printf 'ratio to the floor (median of pairs): time to map %.2f x, to first paint %.2f x, processor time %.2f x;\n' \
    "$(ratio 5 1)" "$(ratio 6 2)" "$(ratio 7 3)"
printf '  peak memory %.2f x at the splash, %.2f x with the main window up\n' "$(ratio 8 4)" "$(ratio 12 4)"
