#!/usr/bin/env bash
# A desktop without a tray (openbox unless E2E_WM names another window manager
# without a panel): with every note saved hidden, the launcher's actions and
# the commands still reach the notes and the main menu; the note windows are
# frameless, out of the task bar and pager, a top-most one stays above an
# activated window, and positions and sizes come back after a restart.
QUILLET=$1
DESKTOP_FILE=$(dirname "$0")/../../res/quillet.desktop
export E2E_WM=${E2E_WM:-openbox}
. "$(dirname "$0")/harness.sh"
. "$(dirname "$0")/app_helpers.sh"
e2e_setup "no-tray-$E2E_WM"
e2e_session_bus

# The Exec line of a .desktop action, run with the program under test.
run_action() { # action
    local exec
    exec=$(sed -n "/^\[Desktop Action $1\]/,/^\[/s/^Exec=//p" "$DESKTOP_FILE")
    [ -n "$exec" ] || e2e_fail "no Exec line for the action $1"
    timeout 20 "$QUILLET" ${exec#quillet} >>"$E2E_DIR/sender.log" 2>&1 || e2e_fail "'$exec' failed: $(tail -2 "$E2E_DIR/sender.log")"
}
geometries() { app_note_windows | cut -d' ' -f2- | sort; }

# Two notes saved hidden; the first one top-most.
app_write_server_settings "$(app_free_port)" False
mkdir -p "$(app_save_folder)"
write_note() { # id title x y width height top-most
    printf '<?xml version="1.0" ?>\r\n<Quillet>\r\n<SheetProperty>\r\n<SheetTitle Title="%s"/>\r\n<SheetID ID="%d"/>\r\n<SheetDimension X="%d" Y="%d" Width="%d" Height="%d"/>\r\n<SheetDisplay Bool="False"/>\r\n<TopWindow Bool="%s"/>\r\n</SheetProperty>\r\n</Quillet>\r\n' \
        "$2" "$1" "$3" "$4" "$5" "$6" "$7" >"$(app_save_folder)/$1"
}
write_note 101 "On top" 120 150 240 130 True
write_note 102 "Below" 520 300 300 180 False

e2e_start_program "$QUILLET"
sleep 1
[ -z "$(app_tray_window)" ] || e2e_fail "a tray icon on a desktop without a tray"
[ "$(app_note_count)" -eq 0 ] || e2e_fail "$(app_note_count) notes on screen, all were saved hidden"

run_action show-all
e2e_wait '[ "$(app_note_count)" -eq 2 ]' 10 || e2e_fail "Show all notes brought $(app_note_count) notes, not 2"
sleep 0.5
[ "$(geometries | tr '\n' ' ')" = "120 150 240 130 520 300 300 180 " ] ||
    e2e_fail "notes at $(geometries | tr '\n' ' '), not where they were saved"
e2e_screenshot shown
top=
for w in $(app_note_windows | cut -d' ' -f1); do
    state=$(xprop -id "$w" _NET_WM_STATE)
    grep -q _NET_WM_STATE_SKIP_TASKBAR <<<"$state" || e2e_fail "note $w has a task-bar entry"
    grep -q _NET_WM_STATE_SKIP_PAGER <<<"$state" || e2e_fail "note $w has a pager entry"
    extents=$(xprop -id "$w" _NET_FRAME_EXTENTS)
    [[ $extents == *"= 0, 0, 0, 0" ]] || e2e_fail "note $w has a frame: $extents"
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$X" -eq 120 ] && top=$w
done
[ -n "$top" ] || e2e_fail "the top-most note is not at its place"
xprop -id "$top" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || e2e_fail "the top-most note is not in the above layer"

# An ordinary window (the search dialog) activated over it stays below it.
before=$(app_note_windows | cut -d' ' -f1)
dbus-send --session --print-reply --dest=io.github.quillet.Quillet /io/github/quillet/Quillet \
    io.github.quillet.Quillet.Find >>"$E2E_DIR/sender.log" 2>&1 || e2e_fail "Find was refused"
e2e_wait '[ "$(app_note_count)" -eq 3 ]' 10 || e2e_fail "the search dialog did not open"
dialog=$(app_note_windows | cut -d' ' -f1 | grep -vxF "$before")
xdotool windowactivate --sync "$dialog" 2>/dev/null || xdotool windowactivate "$dialog"
sleep 0.5
e2e_screenshot search-over-notes
[ "$(e2e_stack_position "$dialog")" -ge 0 ] || e2e_fail "the search dialog is not managed"
[ "$(e2e_stack_position "$top")" -gt "$(e2e_stack_position "$dialog")" ] || e2e_fail "the top-most note fell below the search dialog"
xdotool key Escape
e2e_wait '[ "$(app_note_count)" -eq 2 ]' 10 || e2e_fail "the search dialog did not close"

# Everything hidden: the main menu at the pointer, by its mnemonic a new note.
timeout 20 "$QUILLET" --hide-all || e2e_fail "--hide-all failed"
e2e_wait '[ "$(app_note_count)" -eq 0 ]' 10 || e2e_fail "--hide-all left notes on screen"
xdotool mousemove 400 300
timeout 20 "$QUILLET" --menu || e2e_fail "--menu failed"
sleep 0.8
e2e_screenshot menu
xdotool key n
e2e_wait '[ "$(app_note_count)" -eq 1 ]' 10 || e2e_fail "New message from the menu made no note"
run_action new-note
e2e_wait '[ "$(app_note_count)" -eq 2 ]' 10 || e2e_fail "the New note action made no note"
# A plain start again shows the hidden ones too.
timeout 20 "$QUILLET" || e2e_fail "a second start failed"
e2e_wait '[ "$(app_note_count)" -eq 4 ]' 10 || e2e_fail "a second start shows $(app_note_count) notes, not 4"
# Moved and resized the way a user does, through the window manager.
xdotool windowmove "$top" 60 420 windowsize "$top" 280 160
e2e_wait '[ "$(geometries | grep -c "^60 420 280 160$")" -eq 1 ]' 10 || e2e_fail "the note did not move"
sleep 0.5
before=$(geometries)

timeout 20 "$QUILLET" --quit || e2e_fail "--quit failed"
e2e_wait "! kill -0 $E2E_PROGRAM_PID" 15 || e2e_fail "the program still runs after --quit"
e2e_start_program "$QUILLET"
e2e_wait '[ "$(app_note_count)" -eq 4 ]' 10 || e2e_fail "$(app_note_count) notes after the restart, not 4"
sleep 0.5
after=$(geometries)
[ "$before" = "$after" ] || e2e_fail "geometry was '$(echo $before)', is '$(echo $after)'"
e2e_screenshot restarted
e2e_pass
