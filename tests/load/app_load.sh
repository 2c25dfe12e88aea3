#!/usr/bin/env bash
# Load on the desktop program under Xvfb: 50 clients x 200 requests with
# hostile peers, two deliveries per client (each becomes a note window), the
# rest lists and fetches. Every accepted delivery must be a note on disk, and
# memory must stay flat over a round without deliveries.
# Usage: app_load.sh QUILLET LOAD_CLIENT
QUILLET=$1
LOAD=$2
. "$(dirname "$0")/../e2e/harness.sh"
. "$(dirname "$0")/../e2e/app_helpers.sh"
e2e_setup app-load

port=$(app_free_port) || e2e_fail "no free port"
app_write_server_settings "$port" True
e2e_start_program "$QUILLET"
rss() { awk '/^VmRSS/ { print $2 }' "/proc/$E2E_PROGRAM_PID/status"; }
figure() { sed -n "s/^$1 //p" "$2"; }

start_rss=$(rss)
"$LOAD" --port "$port" --clients 50 --requests 200 --puts 2 --marker load >"$E2E_DIR/round1" ||
    e2e_fail "round 1: $(cat "$E2E_DIR/round1")"
accepted=$(figure puts_accepted "$E2E_DIR/round1")
e2e_log "round 1: $(tr '\n' ' ' <"$E2E_DIR/round1")"
e2e_wait '[ "$(app_note_files | wc -l)" -eq "$accepted" ]' 30 ||
    e2e_fail "$accepted accepted, $(app_note_files | wc -l) note files"
for file in $(app_note_files); do
    app_note_text "$(app_save_folder)/$file" | grep -ao 'load-[0-9]*-[0-9]*' || true
done | sort -u >"$E2E_DIR/markers"
[ "$(wc -l <"$E2E_DIR/markers")" -eq "$accepted" ] || e2e_fail "$(wc -l <"$E2E_DIR/markers") distinct texts for $accepted deliveries"
e2e_screenshot loaded

"$LOAD" --port "$port" --clients 50 --requests 100 --puts 0 >"$E2E_DIR/round2" || e2e_fail "round 2: $(cat "$E2E_DIR/round2")"
after2=$(rss)
"$LOAD" --port "$port" --clients 50 --requests 100 --puts 0 >"$E2E_DIR/round3" || e2e_fail "round 3: $(cat "$E2E_DIR/round3")"
after3=$(rss)
e2e_log "rss: start ${start_rss} kB, after round 2 ${after2} kB, after round 3 ${after3} kB; threads $(ls "/proc/$E2E_PROGRAM_PID/task" | wc -l), descriptors $(ls "/proc/$E2E_PROGRAM_PID/fd" | wc -l)"
# A sanitizer's quarantine holds freed memory on purpose: no figure to judge there.
if [[ $(ldd "$QUILLET") == *lib[at]san* ]]; then
    e2e_log "memory not judged under a sanitizer"
else
    [ $((after3 - after2)) -lt 8192 ] || e2e_fail "memory grew by $((after3 - after2)) kB over a round without deliveries"
fi
e2e_stop_program
e2e_pass
