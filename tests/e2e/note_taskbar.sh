#!/usr/bin/env bash
# A note window has no task-bar or pager entry, and a top-most note stays above
# an ordinary window that was activated after it.
# Usage: note_taskbar.sh SHOW_NOTE_PROGRAM
. "$(dirname "$0")/harness.sh"
program=$1
e2e_setup note-taskbar

"$program" >"$E2E_DIR/ids" 2>"$E2E_DIR/show_note.log" &
E2E_PIDS+=($!)
e2e_wait "grep -q note= '$E2E_DIR/ids'" 15 || e2e_fail "the note did not appear: $(cat "$E2E_DIR/show_note.log")"
sleep 0.5
read -r note_field other_field <"$E2E_DIR/ids"
note=${note_field#note=}
other=${other_field#other=}
e2e_screenshot note-over-window

state=$(xprop -id "$note" _NET_WM_STATE)
e2e_log "note state: $state"
grep -q _NET_WM_STATE_SKIP_TASKBAR <<<"$state" || e2e_fail "the note has a task-bar entry"
grep -q _NET_WM_STATE_SKIP_PAGER <<<"$state" || e2e_fail "the note has a pager entry"
grep -q _NET_WM_STATE_ABOVE <<<"$state" || e2e_fail "the top-most note is not in the above layer"
xprop -id "$other" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR && e2e_fail "the ordinary window lost its entry"

# Stacking order, bottom to top: the note must come after the ordinary window.
note_at=$(e2e_stack_position "$note")
other_at=$(e2e_stack_position "$other")
e2e_log "stacking: note at $note_at, ordinary window at $other_at"
[ "$other_at" -ge 0 ] || e2e_fail "the ordinary window is not managed"
# A window the manager does not list (override-redirect) is above every managed one.
[ "$note_at" -lt 0 ] || [ "$note_at" -gt "$other_at" ] || e2e_fail "the note fell below the ordinary window"
e2e_pass
