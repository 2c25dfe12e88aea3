#!/usr/bin/env bash
# Commands to the running program over a private session bus: --new, --hide-all,
# a plain second start that brings hidden notes back, --menu and --quit; a
# command with no program running fails with a reason.
QUILLET=$1
. "$(dirname "$0")/harness.sh"
. "$(dirname "$0")/app_helpers.sh"
e2e_setup commands
e2e_session_bus

# Runs the program as a command sender; its status in $status, stderr in $E2E_DIR/sender.err.
send() {
    timeout 20 "$QUILLET" "$@" >>"$E2E_DIR/sender.log" 2>"$E2E_DIR/sender.err"
    status=$?
}

e2e_start_program "$QUILLET"
e2e_wait '[ -n "$(app_tray_window)" ]' 10 || e2e_fail "no tray icon"

send --new
[ "$status" -eq 0 ] || e2e_fail "--new ended with $status: $(cat "$E2E_DIR/sender.err")"
send --new
[ "$status" -eq 0 ] || e2e_fail "the second --new ended with $status"
e2e_wait '[ "$(app_note_count)" -eq 2 ]' 10 || e2e_fail "--new: $(app_note_count) notes on screen, not 2"

send --hide-all
[ "$status" -eq 0 ] || e2e_fail "--hide-all ended with $status: $(cat "$E2E_DIR/sender.err")"
e2e_wait '[ "$(app_note_count)" -eq 0 ]' 10 || e2e_fail "--hide-all left $(app_note_count) notes on screen"
e2e_screenshot hidden

# The way back for a user without a tray: start it again.
send
[ "$status" -eq 0 ] || e2e_fail "a second start ended with $status: $(cat "$E2E_DIR/sender.err")"
e2e_wait '[ "$(app_note_count)" -eq 2 ]' 10 || e2e_fail "a second start showed $(app_note_count) notes, not 2"
[ "$(app_own_pids "$QUILLET" | wc -l)" -eq 1 ] || e2e_fail "a second program runs"
e2e_screenshot shown-again

# The interface as other programs (shortcut daemons, scripts) call it.
call() { # method arguments...
    local method=$1
    shift
    dbus-send --session --print-reply --dest=io.github.quillet.Quillet /io/github/quillet/Quillet \
        "io.github.quillet.Quillet.$method" "$@" >>"$E2E_DIR/sender.log" 2>&1
}
call Arrange string:lower-right || e2e_fail "Arrange lower-right was refused"
in_lower_right() {
    local w x y width height
    [ "$(app_note_count)" -gt 0 ] || return 1
    while read -r w x y width height; do
        [ $((x + width)) -gt 900 ] && [ $((y + height)) -gt 600 ] || return 1
    done < <(app_note_windows)
}
e2e_wait in_lower_right 10 || e2e_fail "Arrange lower-right left the notes at $(app_note_windows | cut -d' ' -f2-3)"
! call Arrange string:sideways || e2e_fail "Arrange took an unknown corner"

# The main menu at the pointer takes the keyboard: its mnemonic makes a note.
xdotool mousemove 500 400
send --menu
[ "$status" -eq 0 ] || e2e_fail "--menu ended with $status: $(cat "$E2E_DIR/sender.err")"
sleep 0.8
e2e_screenshot menu
xdotool key n
e2e_wait '[ "$(app_note_count)" -eq 3 ]' 10 || e2e_fail "New message from the --menu menu made no note"

send --quit
[ "$status" -eq 0 ] || e2e_fail "--quit ended with $status: $(cat "$E2E_DIR/sender.err")"
e2e_wait "! kill -0 $E2E_PROGRAM_PID" 15 || e2e_fail "the program still runs after --quit"
wait "$E2E_PROGRAM_PID"
program_status=$?
[ "$program_status" -eq 0 ] || e2e_fail "the program ended with $program_status after --quit"
[ "$(app_note_files | wc -l)" -eq 3 ] || e2e_fail "$(app_note_files | wc -l) note files after --quit, not 3"

send --show-all
[ "$status" -ne 0 ] || e2e_fail "--show-all with no program running ended with 0"
[ "$status" -ne 124 ] || e2e_fail "--show-all with no program running hung"
grep -q 'not running' "$E2E_DIR/sender.err" || e2e_fail "--show-all with no program said: $(cat "$E2E_DIR/sender.err")"
e2e_pass
