#!/usr/bin/env bash
# Start-up time and peak memory of the desktop program with 0 and 100 notes,
# and of xpad (the Debian sticky-note program) with 100 pads of the same text,
# each under its own Xvfb + icewm. "Ready" means every note is on the screen
# (for quillet also its bridge port published), as X events tell it: a poll
# of the window list would cost more than the start-up and take CPU from it.
# Prints both and the ratios, and two floors: a bare X client mapping as many
# windows with a note's hints (bare.c), and a Qt program showing as many empty
# windows (qt_windows.cpp).
# Usage: bench/startup/run.sh BUILD_DIR [RUNS, default 5: xpad alone varies by a third from run to run]
set -u
build=$(cd "$1" && pwd)
runs=${2:-5}
here=$(cd "$(dirname "$0")" && pwd)
quillet=$build/src/ui/quillet
[ -x "$quillet" ] || { echo "bench/startup: $quillet is missing (build first)" >&2; exit 1; }
if ! command -v xpad >/dev/null; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends xpad >/dev/null 2>&1 ||
        echo "bench/startup: xpad could not be installed; measuring quillet alone" >&2
fi

. "$here/../../tests/e2e/harness.sh"
. "$here/../../tests/e2e/app_helpers.sh"
E2E_ARTIFACTS=${E2E_ARTIFACTS:-/tmp/quillet-bench-startup}
e2e_setup startup-bench

text="Buy milk, call the plumber, and remember the meeting at ten."
ready=$E2E_DIR/ready
cc -O2 -o "$ready" "$here/ready.c" -lxcb || e2e_fail "cannot build $here/ready.c (libxcb1-dev)"
bare=$E2E_DIR/bare
cc -O2 -o "$bare" "$here/bare.c" -lxcb || e2e_fail "cannot build $here/bare.c (libxcb1-dev)"
qt_windows=$build/bench/startup/qt_windows # built with the benchmarks (qt_windows.cpp)
big_windows() { app_windows "$1" | awk '$4 > 64 || $5 > 64' | wc -l; }

# Fills the save folder with count notes by handing texts to a running program.
make_quillet_notes() {
    local count=$1 i
    rm -rf "$(app_save_folder)"
    [ "$count" -eq 0 ] && return
    e2e_start_program "$quillet"
    local port
    port=$(e2e_local_port)
    for i in $(seq 1 "$count"); do
        printf '%s (%d)' "$text" "$i" >"/dev/tcp/127.0.0.1/$port"
        e2e_wait "[ \$(app_note_files | wc -l) -ge $i ]" 10 || e2e_fail "note $i did not arrive"
    done
    e2e_stop_program
}

# Milliseconds from exec to ready, and the peak resident memory (KiB).
measure_quillet() {
    local count=$1 out pid port_file=$XDG_CONFIG_HOME/Quillet/localport.ini
    rm -f "$port_file"
    out=$("$ready" "$count" "$port_file" "$quillet") || e2e_fail "quillet not ready"
    pid=${out##* }
    E2E_PIDS+=("$pid")
    echo "${out% *}"
    e2e_stop_program "$pid"
}

measure_xpad() {
    local count=$1 out pid
    out=$("$ready" "$count" - xpad -N) || e2e_fail "xpad not ready"
    pid=${out##* }
    E2E_PIDS+=("$pid")
    echo "${out% *}"
    xpad -q >/dev/null 2>&1
    e2e_wait "! kill -0 $pid" 10 || kill "$pid"
}

# The floors: a program that only shows COUNT windows and is killed after.
measure_floor() {
    local count=$1 program=$2 out pid
    out=$("$ready" "$count" - "$program" "$count") || e2e_fail "$program was not ready"
    pid=${out##* }
    E2E_PIDS+=("$pid")
    echo "${out% *}"
    kill "$pid"
    wait "$pid" 2>/dev/null
}

make_xpad_pads() {
    local count=$1 i pid
    rm -rf "$XDG_CONFIG_HOME/xpad"
    xpad -N >/dev/null 2>&1 &
    pid=$!
    E2E_PIDS+=("$pid")
    sleep 1
    printf '%s\n' "$text" >"$E2E_DIR/pad.txt"
    for i in $(seq 1 "$count"); do
        xpad -f "$E2E_DIR/pad.txt" >/dev/null 2>&1
    done
    e2e_wait "[ \$(big_windows $pid) -ge $count ]" 60 || e2e_fail "xpad made $(big_windows $pid) pads"
    xpad -q >/dev/null 2>&1
    e2e_wait "! kill -0 $pid" 10 || kill "$pid"
    wait "$pid" 2>/dev/null
}

# Median of the runs' "ms kib" lines.
median() { sort -n -k"$1" | awk -v k="$1" '{ v[NR] = $k } END { print v[int((NR + 1) / 2)] }'; }

report() { # label, lines
    printf '%-28s %8s ms %8s KiB\n' "$1" "$(median 1 <<<"$2")" "$(median 2 <<<"$2")"
}

echo "== startup: $runs runs each, median; peak memory is VmHWM at ready"
make_quillet_notes 0
q0=$(for _ in $(seq 1 "$runs"); do measure_quillet 0; done)
report "quillet, 0 notes" "$q0"
make_quillet_notes 100
q100=$(for _ in $(seq 1 "$runs"); do measure_quillet 100; done)
report "quillet, 100 notes" "$q100"
if command -v xpad >/dev/null; then
    make_xpad_pads 100
    x100=$(for _ in $(seq 1 "$runs"); do measure_xpad 100; done)
    report "xpad, 100 pads" "$x100"
    awk -v a="$(median 1 <<<"$q100")" -v b="$(median 1 <<<"$x100")" -v c="$(median 2 <<<"$q100")" \
        -v d="$(median 2 <<<"$x100")" 'BEGIN { printf "ratio quillet/xpad, 100 notes: time %.2f, memory %.2f\n", a / b, c / d }'
fi
b100=$(for _ in $(seq 1 "$runs"); do measure_floor 100 "$bare"; done)
report "bare X client, 100 windows" "$b100"
[ -n "${x100:-}" ] && awk -v a="$(median 1 <<<"$b100")" -v b="$(median 1 <<<"$x100")" \
    'BEGIN { printf "ratio bare/xpad, 100 windows: time %.2f, the X server and window manager alone\n", a / b }'
if [ -x "$qt_windows" ]; then
    w100=$(for _ in $(seq 1 "$runs"); do measure_floor 100 "$qt_windows"; done)
    report "Qt, 100 empty windows" "$w100"
    [ -n "${x100:-}" ] && awk -v a="$(median 1 <<<"$w100")" -v b="$(median 1 <<<"$x100")" -v q="$(median 1 <<<"$q100")" \
        'BEGIN { printf "ratio Qt/xpad, 100 empty windows: time %.2f; quillet adds %.2f to it\n", a / b, (q - a) / b }'
fi
true
