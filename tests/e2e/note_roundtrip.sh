#!/usr/bin/env bash
# A note made with a double click and typed into comes back after Exit with
# the same text, position and size.
QUILLET=$1
. "$(dirname "$0")/harness.sh"
. "$(dirname "$0")/app_helpers.sh"
e2e_setup note-roundtrip

e2e_start_program "$QUILLET"
e2e_wait '[ -n "$(app_tray_window)" ]' 10 || e2e_fail "no tray icon"
# In an XEmbed tray a single click is half of a double click: no note yet.
app_click_window "$(app_tray_window)" 1
sleep 1
[ "$(app_note_count)" -eq 0 ] || e2e_fail "a single click on the tray icon made a note"
app_click_window "$(app_tray_window)" 1 2
e2e_wait '[ "$(app_note_count)" -eq 1 ]' 10 || e2e_fail "double click made no note"
note=$(app_note_windows | awk '{ print $1 }')
app_click_window "$note" 1
xdotool type --delay 40 "Buy milk at 5"
sleep 0.5
e2e_screenshot typed
before=$(app_note_windows | awk '{ print $2, $3, $4, $5 }')

# Exit from the tray menu (its mnemonic).
app_click_window "$(app_tray_window)" 3
sleep 0.8
xdotool key x
e2e_wait "! kill -0 $E2E_PROGRAM_PID" 15 || e2e_fail "Exit did not end the program"
file=$(app_save_folder)/$(app_note_files | head -1)
text=$(app_note_text "$file")
[[ $text == *"Buy milk at 5"* ]] || e2e_fail "saved text is '$text'"

e2e_start_program "$QUILLET"
e2e_wait '[ "$(app_note_count)" -eq 1 ]' 10 || e2e_fail "the note did not come back"
sleep 0.5
after=$(app_note_windows | awk '{ print $2, $3, $4, $5 }')
e2e_screenshot restarted
[ "$before" = "$after" ] || e2e_fail "geometry was '$before', is '$after'"
# A note that comes back takes no focus (icewm focuses whatever it maps that
# accepts focus), yet a click still gives it the keyboard.
active_window() { echo $(($(xprop -root _NET_ACTIVE_WINDOW | awk '/window id/ { print $NF }'))); }
note=$(app_note_windows | awk '{ print $1 }')
[ "$(active_window)" != "$note" ] || e2e_fail "the returning note took the focus"
app_click_window "$note" 1
xdotool key End
xdotool type --delay 40 " and bread"
sleep 0.5
[ "$(active_window)" = "$note" ] || e2e_fail "a click did not focus the note"
e2e_stop_program
[[ $(app_note_text "$file") == *"Buy milk at 5 and bread"* ]] || e2e_fail "text lost on the second run: '$(app_note_text "$file")'"
e2e_pass
