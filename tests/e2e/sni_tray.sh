#!/usr/bin/env bash
# An XFCE desktop: xfwm4 and xfce4-panel whose status tray hosts
# StatusNotifierItems, on a private session bus. The program starts before the
# panel, with no tray at all; once the panel is up its item registers with the
# panel's watcher and the item's menu, opened from the panel, works. Started
# again with the panel there, its item registers at once and a single
# activation makes a note (the host sends no double clicks).
QUILLET=$1
export E2E_WM=xfwm4
. "$(dirname "$0")/harness.sh"
. "$(dirname "$0")/app_helpers.sh"
command -v xfce4-panel >/dev/null || e2e_skip "xfce4-panel is not installed"
e2e_setup sni-tray

# One panel along the bottom edge holding the status tray only.
panel_config=$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml
mkdir -p "$panel_config"
cat >"$panel_config/xfce4-panel.xml" <<'PANEL'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=8;x=512;y=752"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
PANEL
watcher() { # property
    dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher "string:$1"
}
# The item is the one whose bus connection the program holds.
own_item() {
    local item pid
    for item in $(watcher RegisteredStatusNotifierItems | sed -n 's/.*string "\(.*\)"/\1/p'); do
        pid=$(dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
            org.freedesktop.DBus.GetConnectionUnixProcessID "string:${item%%/*}" | awk '/uint32/ { print $2 }')
        [ "$pid" = "$E2E_PROGRAM_PID" ] && { echo "$item"; return 0; }
    done
    return 1
}

# No panel yet: no tray, so the program keeps a note up to carry its menu.
app_write_server_settings "$(app_free_port)" False
e2e_start_program "$QUILLET"
e2e_wait '[ "$(app_note_count)" -eq 1 ]' 10 || e2e_fail "without a tray $(app_note_count) notes are up, not 1"
[ -z "$(app_tray_window)" ] || e2e_fail "a tray icon without a tray"

xfce4-panel --sm-client-disable >"$E2E_DIR/panel.log" 2>&1 &
E2E_PIDS+=($!)
e2e_wait 'watcher IsStatusNotifierHostRegistered | grep -q "boolean true"' 20 ||
    e2e_fail "the panel registered no StatusNotifier host: $(tail -3 "$E2E_DIR/panel.log")"
e2e_wait own_item 15 ||
    e2e_fail "the item did not come to the panel started later: $(watcher RegisteredStatusNotifierItems)"

# The panel draws the icon in its tray; a right click there opens the item's
# menu, whose mnemonic makes a note.
tray=$(for w in $(xdotool search --name '^wrapper-2.0$' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$Y" -gt 700 ] && [ "$WIDTH" -gt 16 ] && echo "$X $Y $WIDTH $HEIGHT"
done | head -1)
[ -n "$tray" ] || e2e_fail "no status tray in the panel"
read -r x y width height <<<"$tray"
e2e_screenshot panel
xdotool mousemove $((x + width - height / 2)) $((y + height / 2))
sleep 0.3
xdotool click 3
sleep 1
e2e_screenshot late-tray-menu
xdotool key n
e2e_wait '[ "$(app_note_count)" -eq 2 ]' 10 || e2e_fail "New message from the tray menu made $(app_note_count) notes, not 2"

# Started with the panel up.
e2e_stop_program
e2e_start_program "$QUILLET"
e2e_wait own_item 15 || e2e_fail "the program's item is not registered: $(watcher RegisteredStatusNotifierItems)"
item=$(own_item)
service=${item%%/*}
path=/${item#*/}
[ "$path" != "/$item" ] || path=/StatusNotifierItem
e2e_log "item $service $path"
e2e_wait '[ "$(app_note_count)" -eq 2 ]' 10 || e2e_fail "$(app_note_count) notes came back, not 2"

# What a host sends for a left click: one Activate.
dbus-send --session --print-reply --dest="$service" "$path" org.kde.StatusNotifierItem.Activate int32:20 int32:740 \
    >>"$E2E_DIR/sender.log" 2>&1 || e2e_fail "Activate was refused: $(tail -2 "$E2E_DIR/sender.log")"
e2e_wait '[ "$(app_note_count)" -eq 3 ]' 10 || e2e_fail "a single activation made $(($(app_note_count) - 2)) notes, not 1"
e2e_pass
