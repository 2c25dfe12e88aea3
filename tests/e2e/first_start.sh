#!/usr/bin/env bash
# First start: defaults, tray icon, local port file; a second start leaves one instance.
QUILLET=$1
. "$(dirname "$0")/harness.sh"
. "$(dirname "$0")/app_helpers.sh"
e2e_setup first-start
# A second start hands its "show all" to the first over the session bus.
e2e_session_bus

e2e_start_program "$QUILLET"
port=$(e2e_local_port)
[[ $port =~ ^[0-9]+$ ]] || e2e_fail "localport.ini holds '$port'"
e2e_wait '[ -n "$(app_tray_window)" ]' 10 || e2e_fail "no tray icon"
[ "$(app_note_count)" -eq 0 ] || e2e_fail "notes on a first start"
e2e_screenshot first-start

# The tray menu: New message by its mnemonic creates a note.
app_click_window "$(app_tray_window)" 3
sleep 0.8
e2e_screenshot tray-menu
xdotool key n
e2e_wait '[ "$(app_note_count)" -eq 1 ]' 10 || e2e_fail "New message made no note"
e2e_wait '[ "$(app_note_files | wc -l)" -eq 1 ]' 10 || e2e_fail "the new note was not written"

# A second start ends at once with status 0 once the first took its command;
# the first keeps running.
timeout 20 "$QUILLET" >>"$E2E_DIR/second.log" 2>&1
status=$?
[ "$status" -eq 0 ] || e2e_fail "second start ended with $status"
kill -0 "$E2E_PROGRAM_PID" || e2e_fail "the first instance died"
[ "$(e2e_local_port)" = "$port" ] || e2e_fail "the second start rewrote localport.ini"

e2e_stop_program
[ -s "$XDG_CONFIG_HOME/Quillet/Quillet.ini" ] || e2e_fail "no settings written at exit"
grep -q '<AcceptConnection Bool="False"/>' "$XDG_CONFIG_HOME/Quillet/Quillet.ini" || e2e_fail "server on by default"
e2e_pass
