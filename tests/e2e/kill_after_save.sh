#!/usr/bin/env bash
# kill -9 right after a note was saved loses nothing that was saved; the X
# server going away loses nothing that was typed.
QUILLET=$1
. "$(dirname "$0")/harness.sh"
. "$(dirname "$0")/app_helpers.sh"
e2e_setup kill-after-save

e2e_start_program "$QUILLET"
printf 'survives a hard kill' >"/dev/tcp/127.0.0.1/$(e2e_local_port)"
e2e_wait '[ "$(app_note_files | wc -l)" -eq 1 ]' 10 || e2e_fail "no note file"
kill -KILL "$E2E_PROGRAM_PID"
wait "$E2E_PROGRAM_PID" 2>/dev/null
file=$(app_save_folder)/$(app_note_files | head -1)
grep -q '</Quillet>' "$file" || e2e_fail "the note file is cut short"
[ -z "$(ls "$(app_save_folder)" | grep '_tmp$')" ] || e2e_fail "a temporary file was left"

# The next start (the lock died with the process) shows the note again.
e2e_start_program "$QUILLET"
e2e_wait '[ "$(app_note_count)" -eq 1 ]' 10 || e2e_fail "the note did not come back"
[[ $(app_note_text "$file") == *"survives a hard kill"* ]] || e2e_fail "text lost"
e2e_screenshot after-kill

# The X server going away, as at the end of many sessions, with an edit not
# yet saved (the quiet time is a minute): the edit is kept, and the program
# ends with Qt's status, not a crash.
app_click_window "$(app_note_windows | awk '{ print $1 }')" 1
xdotool type --delay 40 "and the display"
sleep 0.5
kill "$E2E_XVFB_PID"
wait "$E2E_PROGRAM_PID"
status=$?
[ "$status" -eq 1 ] || e2e_fail "the program ended with status $status when the display went away"
[[ $(app_note_text "$file") == *"and the display"* ]] || e2e_fail "the edit was lost with the display"
e2e_pass
