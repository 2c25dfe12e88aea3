# End-to-end test harness: sourced by the scenario scripts of this folder.
#
# Each scenario gets its own X server (Xvfb) with a window manager (icewm with
# its system tray unless E2E_WM names another), its own HOME and XDG folders,
# and kills only the processes it started. Screenshots go to $E2E_ARTIFACTS (kept after the run).
#
#   . "$(dirname "$0")/harness.sh"
#   e2e_setup scenario-name
#   e2e_session_bus                     # when the scenario needs one
#   e2e_start_program "$QUILLET"        # waits until localport.ini is written
#   e2e_screenshot after-start
#   ...
#   e2e_pass
#
# A scenario exits 0 on success, 77 when the machine cannot run it (no Xvfb),
# anything else on failure.

set -u

E2E_SCREEN=${E2E_SCREEN:-1024x768x24}
E2E_PIDS=()
E2E_DIR=
E2E_NAME=

e2e_log() { printf '[e2e %s] %s\n' "${E2E_NAME:-?}" "$*" >&2; }

e2e_fail() {
    e2e_log "FAIL: $*"
    e2e_screenshot failure 2>/dev/null || true
    exit 1
}

e2e_skip() {
    e2e_log "SKIP: $*"
    exit 77
}

e2e_cleanup() {
    local pid
    for ((i = ${#E2E_PIDS[@]} - 1; i >= 0; i--)); do
        pid=${E2E_PIDS[i]}
        kill -TERM "$pid" 2>/dev/null || continue
        for _ in $(seq 1 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    [ -n "$E2E_DIR" ] && [ -z "${E2E_KEEP:-}" ] && rm -rf "$E2E_DIR"
}

# A display number nobody uses: no socket and no lock file.
e2e_free_display() {
    local n
    for n in $(seq $((100 + RANDOM % 400)) 600); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { echo "$n"; return 0; }
    done
    return 1
}

# Where window $1 stands in the window manager's stacking order, bottom
# first; -1 when the window manager does not list it.
e2e_stack_position() {
    local i=0 w
    for w in $(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g'); do
        [ $((w)) -eq "$1" ] && { echo $i; return; }
        i=$((i + 1))
    done
    echo -1
}

# Waits up to $2 seconds (default 10) for command $1 to succeed.
e2e_wait() {
    local condition=$1 seconds=${2:-10} i
    for ((i = 0; i < seconds * 10; i++)); do
        eval "$condition" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# Points HOME and the XDG folders at a private home and runtime folder,
# making them when missing.
e2e_use_home() { # home runtime
    export HOME=$1 XDG_RUNTIME_DIR=$2
    export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
    export XDG_DOCUMENTS_DIR=$HOME/Documents
    mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_DOCUMENTS_DIR"
    mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
}

e2e_setup() {
    E2E_NAME=$1
    command -v Xvfb >/dev/null || e2e_skip "Xvfb is not installed"
    command -v xdotool >/dev/null || e2e_skip "xdotool is not installed"
    E2E_DIR=$(mktemp -d "/tmp/quillet-e2e-$E2E_NAME-XXXXXX")
    E2E_ARTIFACTS=${E2E_ARTIFACTS:-$PWD/e2e-artifacts}/$E2E_NAME
    mkdir -p "$E2E_ARTIFACTS"
    trap e2e_cleanup EXIT

    e2e_use_home "$E2E_DIR/home" "$E2E_DIR/runtime"
    unset WAYLAND_DISPLAY QT_QPA_PLATFORM SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS
    export LANG=${E2E_LANG:-C.UTF-8}

    local display
    display=$(e2e_free_display) || e2e_fail "no free X display"
    Xvfb ":$display" -screen 0 "$E2E_SCREEN" -nolisten tcp -noreset >"$E2E_DIR/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    E2E_PIDS+=($!)
    export DISPLAY=":$display"
    e2e_wait "xdpyinfo" 10 || e2e_fail "Xvfb did not start on $DISPLAY"

    e2e_start_wm "${E2E_WM:-icewm}"
    e2e_log "display $DISPLAY, home $HOME"
}

# The window manager of the scenario: icewm (with its task bar and XEmbed
# tray), openbox or xfwm4 (no panel, no tray). E2E_WM picks it.
e2e_start_wm() {
    local wm=$1
    case $wm in
    icewm)
        command -v icewm >/dev/null || return 0
        # A private icewm configuration: a task bar with its tray, nothing else.
        mkdir -p "$HOME/.icewm"
        printf 'TaskBarShowTray=1\nTaskBarShowClock=0\nTaskBarShowAPMStatus=0\nTaskBarShowMailboxStatus=0\n' \
            >"$HOME/.icewm/preferences"
        icewm >"$E2E_DIR/icewm.log" 2>&1 &
        ;;
    openbox)
        command -v openbox >/dev/null || e2e_skip "openbox is not installed"
        openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 &
        ;;
    xfwm4)
        command -v xfwm4 >/dev/null || e2e_skip "xfwm4 is not installed"
        # Its settings come over the session bus (xfconfd).
        e2e_session_bus
        xfwm4 --compositor=off --sm-client-disable >"$E2E_DIR/xfwm4.log" 2>&1 &
        ;;
    *) e2e_fail "unknown window manager $wm" ;;
    esac
    E2E_PIDS+=($!)
    e2e_wait "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window" 10 || e2e_fail "$wm did not start"
    e2e_wait "xprop -root _NET_SUPPORTED | grep -q _NET_WM_STATE" 10 || true
    # icewm: the tray selection is owned once the task bar is up.
    sleep 0.5
}

# A private session bus for the scenario (e2e_setup leaves none): the
# program takes its command name there. Sets DBUS_SESSION_BUS_ADDRESS.
e2e_session_bus() {
    [ -n "${DBUS_SESSION_BUS_ADDRESS:-}" ] && return 0
    command -v dbus-daemon >/dev/null || e2e_skip "dbus-daemon is not installed"
    local address="unix:path=$E2E_DIR/session-bus" pid
    pid=$(dbus-daemon --session --fork --nopidfile --address="$address" --print-pid=1) ||
        e2e_fail "dbus-daemon did not start"
    E2E_PIDS+=("$pid")
    export DBUS_SESSION_BUS_ADDRESS=$address
}

# Starts the program in the background (arguments as given); waits until its
# local port file is written. Sets E2E_PROGRAM_PID.
e2e_start_program() {
    local port_file=$XDG_CONFIG_HOME/Quillet/localport.ini
    local before=
    [ -f "$port_file" ] && before=$(stat -c %Y.%i "$port_file")
    "$@" >>"$E2E_DIR/program.log" 2>&1 &
    E2E_PROGRAM_PID=$!
    E2E_PIDS+=("$E2E_PROGRAM_PID")
    e2e_wait "[ -s '$port_file' ] && [ \"\$(stat -c %Y.%i '$port_file')\" != '$before' ]" 15 ||
        e2e_fail "the program did not write $port_file (log: $(tail -5 "$E2E_DIR/program.log"))"
}

# Stops the program with SIGTERM (it saves on the way out) and waits for it.
e2e_stop_program() {
    local pid=${1:-$E2E_PROGRAM_PID}
    kill -TERM "$pid" 2>/dev/null || return 0
    e2e_wait "! kill -0 $pid" 15 || e2e_fail "the program did not stop on SIGTERM"
    wait "$pid" 2>/dev/null || true
}

e2e_local_port() { cat "$XDG_CONFIG_HOME/Quillet/localport.ini"; }

# Windows of a process (decimal ids), visible ones only.
e2e_windows_of() { xdotool search --onlyvisible --pid "${1:-$E2E_PROGRAM_PID}" 2>/dev/null; }

e2e_screenshot() {
    import -window root "$E2E_ARTIFACTS/$1.png" 2>/dev/null && e2e_log "screenshot $E2E_ARTIFACTS/$1.png"
}

e2e_pass() {
    e2e_log "passed"
    exit 0
}
