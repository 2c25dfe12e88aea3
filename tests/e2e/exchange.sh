#!/usr/bin/env bash
# Two programs on one desktop, each with its own HOME, talking over loopback:
# a note sent from the first arrives at the second, which asks for
# confirmation and takes it when nobody answers in 2 seconds; then the first
# retrieves it back with a user name and password.
QUILLET=$1
. "$(dirname "$0")/harness.sh"
. "$(dirname "$0")/app_helpers.sh"
e2e_setup exchange

# The second program's own folders; `as_b CMD` runs CMD in its environment.
B=$E2E_DIR/b
mkdir -p "$B/home/.config" "$B/home/Documents"
mkdir -m 0700 -p "$B/runtime"
as_b() {
    HOME=$B/home XDG_CONFIG_HOME=$B/home/.config XDG_RUNTIME_DIR=$B/runtime XDG_DOCUMENTS_DIR=$B/home/Documents "$@"
}

port_a=$(app_free_port) || e2e_fail "no free port"
port_b=$(app_free_port) || e2e_fail "no free port"
[ "$port_a" != "$port_b" ] || port_b=$((port_a + 1))

app_write_server_settings "$port_a" False
as_b app_write_server_settings "$port_b" True
sed -i -e 's|<ConfirmReceive Bool="False"/>|<ConfirmReceive Bool="True"/>|' \
    -e 's|<ConfirmExpire Time="10"/>|<ConfirmExpire Time="2"/>|' \
    -e 's|<AcceptTransfer Bool="True"/>|<AcceptTransfer Bool="True" User="alice" Passwd="s3cret"/>|' \
    "$B/home/.config/Quillet/Quillet.ini"
# The first one already knows the second as a destination.
printf '<?xml version="1.0" ?>\r\n<Quillet>\r\n<SendLog>\r\n<DestinationList>\r\n<List Name="127.0.0.1" Port="%s"/>\r\n</DestinationList>\r\n</SendLog>\r\n</Quillet>\r\n' \
    "$port_b" >"$XDG_CONFIG_HOME/Quillet/SendLog.ini"

as_b e2e_start_program "$QUILLET"
pid_b=$E2E_PROGRAM_PID
e2e_start_program "$QUILLET"
pid_a=$E2E_PROGRAM_PID

# A note on the first desktop, sent from its own menu.
printf 'from the first computer' >"/dev/tcp/127.0.0.1/$(e2e_local_port)"
e2e_wait '[ "$(app_note_count "$pid_a")" -eq 1 ]' 10 || e2e_fail "no note on the first program"
note=$(app_note_windows "$pid_a" | awk '{ print $1 }')
app_click_window "$note" 3
sleep 0.8
xdotool key s
e2e_wait '[ -n "$(xdotool search --onlyvisible --name "^Send message$")" ]' 10 || e2e_fail "no send dialog"
sleep 0.5
# The destination list has the focus: pick its first row and press OK.
xdotool key space
sleep 0.3
e2e_screenshot send-dialog
xdotool key Return

# The second program asks, nobody answers, and after 2 seconds it takes the note.
e2e_wait '[ -n "$(xdotool search --onlyvisible --pid "$pid_b" --name . 2>/dev/null | head -1)" ]' 10 || true
e2e_screenshot confirmation
as_b e2e_wait '[ "$(app_note_files | wc -l)" -eq 1 ]' 15 || e2e_fail "the note did not arrive unanswered"
received=$(as_b app_save_folder)/$(as_b app_note_files | head -1)
[[ $(app_note_text "$received") == *"from the first computer"* ]] || e2e_fail "wrong text arrived"
e2e_screenshot received

# Retrieve it back with credentials: Dest. and Port come from the send log.
app_click_window "$(app_tray_window "$pid_a")" 3
sleep 0.8
xdotool key r
e2e_wait '[ -n "$(xdotool search --onlyvisible --name "^Retrieve message$")" ]' 10 || e2e_fail "no retrieve dialog"
sleep 0.5
xdotool key Tab Tab
xdotool type --delay 40 alice
xdotool key Tab
xdotool type --delay 40 s3cret
# The list button keeps the focus in the password field; two tabs reach the list.
xdotool key alt+l
sleep 1.5
xdotool key Tab Tab ctrl+a
sleep 0.3
e2e_screenshot retrieve-dialog
xdotool key Return
e2e_wait '[ "$(app_note_files | wc -l)" -eq 2 ]' 15 || e2e_fail "nothing was retrieved"
e2e_wait '[ "$(app_note_count "$pid_a")" -eq 2 ]' 10 || e2e_fail "the retrieved note is not on the desktop"
e2e_screenshot retrieved
e2e_stop_program "$pid_a"
e2e_stop_program "$pid_b"
e2e_pass
