#!/usr/bin/env bash
# Start-up benchmark: time from process start to the first window on screen (the splash) and the peak
# memory, for tessaline and for a minimal Qt Widgets window (the floor), in one run on one display.
# Usage: bench/startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build}
runs=${2:-10}
app="$build/src/tessaline"
floor="$build/bench/floor_window"
for exe in "$app" "$floor"; do
    [ -x "$exe" ] || { echo "missing $exe: build first (cmake --build $build)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb

# One start: milliseconds until a window of the process is mapped, and its peak resident memory (kB).
measure() {
    local exe=$1 home
    home=$(mktemp -d "$work/home.XXXX")
    mkdir -p "$home/runtime" && chmod 700 "$home/runtime"
    local start end pid
    start=$(date +%s%N)
    HOME=$home XDG_CONFIG_HOME=$home/config XDG_RUNTIME_DIR=$home/runtime "$exe" >/dev/null 2>"$home/stderr" &
    pid=$!
    until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do
        if ! kill -0 "$pid" 2>/dev/null; then echo "process ended early:" >&2; cat "$home/stderr" >&2; return 1; fi
    done
    end=$(date +%s%N)
    sleep 0.5 # let the first paint and any start-up work settle before reading the peak
    local hwm
    hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
    kill "$pid"; wait "$pid" 2>/dev/null || true
    echo "$(( (end - start) / 1000000 )) $hwm"
}

summarise() { sort -n | awk '{a[NR]=$1} END {printf "median %d ms (min %d, max %d)", a[int((NR+1)/2)], a[1], a[NR]}'; }

: > "$work/app"; : > "$work/floor"
for _ in $(seq "$runs"); do
    measure "$floor" >> "$work/floor"
    measure "$app" >> "$work/app"
done
app_ms=$(cut -d' ' -f1 "$work/app" | summarise)
floor_ms=$(cut -d' ' -f1 "$work/floor" | summarise)
app_kb=$(cut -d' ' -f2 "$work/app" | sort -n | tail -1)
floor_kb=$(cut -d' ' -f2 "$work/floor" | sort -n | tail -1)
app_med=$(cut -d' ' -f1 "$work/app" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
floor_med=$(cut -d' ' -f1 "$work/floor" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $runs runs each"
echo "tessaline to splash on screen: $app_ms, peak memory $app_kb kB"
echo "floor (one Qt window):         $floor_ms, peak memory $floor_kb kB"
awk -v a="$app_med" -v f="$floor_med" -v am="$app_kb" -v fm="$floor_kb" \
    'BEGIN {printf "ratio: time %.2f x the floor, memory %.2f x the floor\n", a / f, am / fm}'
