# Helpers for the scenarios of the desktop program; sourced after harness.sh.

# Window ids of the program's visible windows with their geometry:
# "id x y width height" per line.
app_windows() {
    local w
    for w in $(e2e_windows_of "$@"); do
        eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
        echo "$w $X $Y $WIDTH $HEIGHT"
    done
}

# The tray icon: the program's small window docked in the panel.
app_tray_window() { app_windows "$@" | awk '$4 <= 64 && $5 <= 64 { print $1; exit }'; }

# Note windows: everything larger than the icon.
app_note_windows() { app_windows "$@" | awk '$4 > 64 || $5 > 64'; }
app_note_count() { app_note_windows "$@" | wc -l; }

app_click_window() { # window, button, repeat
    local w=$1 button=${2:-1} repeat=${3:-1}
    eval "$(xdotool getwindowgeometry --shell "$w")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
    sleep 0.2
    xdotool click --repeat "$repeat" --delay 80 "$button"
}

# Pids of the program started within this scenario: other scenarios run the
# same binary at the same time, so the command line alone does not tell.
app_own_pids() { # program
    local pid
    for pid in $(pgrep -f -x "$1"); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "HOME=$HOME" && echo "$pid"
    done
}

app_save_folder() { echo "$XDG_DOCUMENTS_DIR/Quillet"; }
app_note_files() { ls "$(app_save_folder)" 2>/dev/null | grep -v '_tmp$'; }

# The text of a note file's body (hex-coded RTF), decoded to plain text.
app_note_text() {
    sed -n '/<Message>/,/<\/Message>/p' "$1" | grep -v 'Message>' | tr -d '\r\n' | perl -ne 'print pack("H*", $_)' |
        sed -e 's/\\par[d]*//g' -e 's/{[^{}]*}//g' -e 's/\\[a-z0-9-]*//g' -e 's/[{}]//g'
}

# A port nobody listens on.
app_free_port() {
    local port low
    # Below the kernel's range for outgoing connections: a port still held by
    # one of those in TIME_WAIT answers no connect, yet cannot be bound.
    read -r low _ </proc/sys/net/ipv4/ip_local_port_range
    [ "$low" -gt 12000 ] || low=32768
    for _ in $(seq 1 50); do
        port=$((10000 + RANDOM % (low - 10000)))
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return 0; }
    done
    return 1
}

# A settings document with the receiving server on 127.0.0.1:port.
app_write_server_settings() { # port accept-transfer
    mkdir -p "$XDG_CONFIG_HOME/Quillet"
    cat >"$XDG_CONFIG_HOME/Quillet/Quillet.ini" <<SETTINGS
<?xml version="1.0" ?>
<Quillet>
<ApplicationProperty>
<EnableStartup Bool="False"/>
<SavePath Path="$XDG_DOCUMENTS_DIR/Quillet"/>
<OrderFlag Flag="3"/>
<EnableOutOfWindow Bool="False"/>
<MessageGap Value="0"/>
</ApplicationProperty>
<NetworkProperty>
<AcceptConnection Bool="True"/>
<EnableUPnP Bool="False"/>
<ConfirmReceive Bool="False"/>
<ConfirmExpire Time="10"/>
<ReceiveChannel Address="127.0.0.1" Port="$1"/>
<AcceptTransfer Bool="$2"/>
<AllowAll Bool="True"/>
</NetworkProperty>
</Quillet>
SETTINGS
}
