#!/usr/bin/env bash
# A reminder that goes off brings its hidden note up top-most and tells the
# desktop's notification centre (a real one, dunst, on a private session bus):
# app name and the note's title; the notice's default action shows the note
# again after it was hidden. A second program beside it, on a bus where no
# notification service runs or can be started, fires its reminder in the same
# minute: its note comes up top-most all the same, with nothing else on
# screen, and the program still answers.
QUILLET=$1
. "$(dirname "$0")/harness.sh"
. "$(dirname "$0")/app_helpers.sh"
command -v dunst >/dev/null && command -v dunstctl >/dev/null || e2e_skip "dunst is not installed"
command -v dbus-monitor >/dev/null || e2e_skip "dbus-monitor is not installed"
e2e_setup reminder-notice
e2e_session_bus

# A hidden note whose one-time reminder is due a few seconds from now; the
# note timer looks once a minute.
title="Dentist at 3 & bring the card"
write_note() {
    mkdir -p "$(app_save_folder)"
    printf '<?xml version="1.0" ?>\r\n<Quillet>\r\n<SheetProperty>\r\n<SheetTitle Title="Dentist at 3 &amp; bring the card"/>\r\n<SheetID ID="4711"/>\r\n<SheetDimension X="%d" Y="200" Width="260" Height="140"/>\r\n<SheetDisplay Bool="False"/>\r\n<TopWindow Bool="False"/>\r\n</SheetProperty>\r\n<InformProperty>\r\n<InformBy Method="Date" StartDate="0" Param="%d"/>\r\n<InformSound Bool="False" WavePath=""/>\r\n<InformTopmost Bool="True"/>\r\n<InformRepeat Bool="False" Cycle="0"/>\r\n</InformProperty>\r\n<Message>\r\n%s\r\n</Message>\r\n</Quillet>\r\n' \
        "$1" $(($(date +%s) + 3)) "$(printf 'Dentist at 3' | od -An -tx1 | tr -d ' \n')" >"$(app_save_folder)/4711"
}
notify_calls() { grep -A4 'member=Notify' "$1" | grep -qF "string \"$title\""; }

# The quiet desk: its own home and instance lock, and a bus that knows no
# services to start.
quiet=$E2E_DIR/quiet
mkdir -p "$quiet"
cat >"$quiet/bus.conf" <<BUS
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$quiet/bus</listen>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
BUS
pid=$(dbus-daemon --config-file="$quiet/bus.conf" --fork --nopidfile --print-pid=1) || e2e_fail "the quiet bus did not start"
E2E_PIDS+=("$pid")
quiet_env() {
    e2e_use_home "$quiet/home" "$quiet/runtime"
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$quiet/bus
}
on_quiet() ( quiet_env && "$@" )
(quiet_env && exec dbus-monitor --session "interface='org.freedesktop.Notifications',member='Notify'" "type='error'") \
    >"$quiet/notify.log" 2>&1 &
E2E_PIDS+=($!)
on_quiet app_write_server_settings "$(app_free_port)" False
on_quiet write_note 620
(quiet_env && exec "$QUILLET") >>"$quiet/program.log" 2>&1 &
quiet_pid=$!
E2E_PIDS+=("$quiet_pid")
on_quiet e2e_wait '[ -s "$XDG_CONFIG_HOME/Quillet/localport.ini" ]' 15 ||
    e2e_fail "the quiet program did not start: $(tail -3 "$quiet/program.log")"

# Notices stay until acted on, so the action below still finds this one.
mkdir -p "$XDG_CONFIG_HOME/dunst"
printf '[global]\nfont = DejaVu Sans 11\n[urgency_normal]\ntimeout = 0\n' >"$XDG_CONFIG_HOME/dunst/dunstrc"
dunst -conf "$XDG_CONFIG_HOME/dunst/dunstrc" >"$E2E_DIR/dunst.log" 2>&1 &
E2E_PIDS+=($!)
owned() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
        string:org.freedesktop.Notifications | grep -q 'boolean true'
}
e2e_wait owned 10 || e2e_fail "dunst did not take the notification service: $(tail -3 "$E2E_DIR/dunst.log")"
dbus-monitor --session "interface='org.freedesktop.Notifications',member='Notify'" >"$E2E_DIR/notify.log" 2>&1 &
E2E_PIDS+=($!)

app_write_server_settings "$(app_free_port)" False
write_note 300
e2e_start_program "$QUILLET"
[ "$(app_note_count)" -eq 0 ] || e2e_fail "the hidden note is on screen before its reminder"
[ "$(app_note_count "$quiet_pid")" -eq 0 ] || e2e_fail "the quiet program's note is on screen before its reminder"

e2e_wait 'notify_calls "$E2E_DIR/notify.log"' 75 || e2e_fail "no notice with the note's title: $(cat "$E2E_DIR/notify.log")"
grep -A1 'member=Notify' "$E2E_DIR/notify.log" | grep -q 'string "Quillet"' || e2e_fail "the notice is not from Quillet"
grep -A12 'member=Notify' "$E2E_DIR/notify.log" | grep -q 'string "default"' || e2e_fail "the notice has no default action"
e2e_wait '[ "$(app_note_count)" -eq 1 ]' 10 || e2e_fail "the reminder did not bring the note up"
note=$(app_note_windows | cut -d' ' -f1)
xprop -id "$note" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || e2e_fail "the reminded note is not top-most"

# The quiet program asked too, was told nobody serves the name, and carried on.
refused() { grep -A1 ServiceUnknown "$quiet/notify.log" | grep -q 'org.freedesktop.Notifications was not'; }
e2e_wait 'notify_calls "$quiet/notify.log" && refused' 15 ||
    e2e_fail "the quiet program's notice was not refused: $(cat "$quiet/notify.log")"
e2e_wait '[ "$(app_note_count "$quiet_pid")" -ge 1 ]' 10 || e2e_fail "no notification service: the reminder did not bring the note up"
sleep 1
[ "$(app_note_count "$quiet_pid")" -eq 1 ] ||
    e2e_fail "no notification service: $(app_note_count "$quiet_pid") windows came up, not the note alone"
quiet_note=$(app_note_windows "$quiet_pid" | cut -d' ' -f1)
xprop -id "$quiet_note" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE ||
    e2e_fail "no notification service: the reminded note is not top-most"

e2e_wait '[ "$(dunstctl count displayed)" -ge 1 ]' 10 || e2e_fail "dunst shows no notice"
sleep 0.5
e2e_screenshot notice

on_quiet timeout 10 "$QUILLET" --hide-all || e2e_fail "no notification service: the program did not answer --hide-all"
e2e_wait '[ "$(app_note_count "$quiet_pid")" -eq 0 ]' 10 || e2e_fail "no notification service: the note did not hide"
timeout 20 "$QUILLET" --hide-all || e2e_fail "--hide-all failed"
e2e_wait '[ "$(app_note_count)" -eq 0 ]' 10 || e2e_fail "the note did not hide"
dunstctl action 0
e2e_wait '[ "$(app_note_count)" -eq 1 ]' 10 || e2e_fail "the notice's default action did not show the note"
e2e_screenshot note-from-notice
# Fired once: the reminder is gone from both saved notes.
e2e_wait '! grep -q "<InformProperty>" "$(app_save_folder)/4711"' 10 || e2e_fail "the fired reminder is still saved"
on_quiet e2e_wait '! grep -q "<InformProperty>" "$(app_save_folder)/4711"' 10 ||
    e2e_fail "no notification service: the fired reminder is still saved"
e2e_pass
