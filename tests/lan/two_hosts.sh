#!/usr/bin/env bash
# Two hosts on one network, made here: network namespaces joined by a veth
# pair (192.0.2.1/24 "hosta" and 192.0.2.2/24 "hostb"), each with its own host
# name and hosts file, which maps the host's own name to 127.0.1.1 as Debian
# does. `quillet-cli serve` on one host, `quillet-cli` on the other: receiving
# set up as the settings page stores it is reachable from the other host;
# send, list and fetch go across; access list prefixes decide; a note document
# that cannot be read is refused, not answered OK.
# Traffic goes only to addresses inside these namespaces.
# With the desktop program given too, it receives on host a under Xvfb,
# set up as a user leaves the settings page (Address: the computer's name).
# Each host has its own system bus and Avahi daemon where they can run: the
# desktop program announces itself, a host search on host b (QUILLET_FIND_HOSTS,
# then the desktop program's own dialog) finds host a's address and port, and
# a note sent there arrives; one bound to loopback is not announced.
# Usage: two_hosts.sh PATH-TO-quillet-cli [PATH-TO-quillet]
set -euo pipefail

CLI=$1
APP=${2:-}
FIND=${QUILLET_FIND_HOSTS:-}
. "$(dirname "$0")/../platform/private_bus.sh"
ARTIFACTS=${E2E_ARTIFACTS:-$PWD/e2e-artifacts}/lan_two_hosts
fail() {
    trap - ERR
    echo "FAIL: $*" >&2
    [ -n "${display_b:-}" ] && shot failure-host-b >&2 2>/dev/null || true
    for f in "$WORK"/*.out "$WORK"/*.err; do
        [ -f "$f" ] && { echo "--- $f" >&2; cat "$f" >&2; }
    done
    exit 1
}
WORK=$(mktemp -d /tmp/quillet-lan-XXXXXX)
# A step that fails without a word of its own still says where.
set -E
trap 'fail "line $LINENO: $BASH_COMMAND"' ERR
[ "$(id -u)" -eq 0 ] || fail "making network namespaces needs root (CI runs as root)"
command -v ip >/dev/null && command -v unshare >/dev/null || fail "ip (iproute2) and unshare (util-linux) are needed"

A=qlan-a-$$
B=qlan-b-$$
PIDS=
cleanup() {
    # Last started first: the programs go before the buses they use.
    for pid in $(echo $PIDS | tr ' ' '\n' | tac); do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    done
    ip netns del "$A" 2>/dev/null || true
    ip netns del "$B" 2>/dev/null || true
    rm -rf "/etc/netns/$A" "/etc/netns/$B" "$WORK"
}
trap cleanup EXIT

ip netns add "$A" && ip netns add "$B" || fail "cannot make network namespaces"
ip link add "qa$$" type veth peer name "qb$$" || fail "cannot make a veth pair"
ip link set "qa$$" netns "$A"
ip link set "qb$$" netns "$B"
ip -n "$A" addr add 192.0.2.1/24 dev "qa$$"
ip -n "$B" addr add 192.0.2.2/24 dev "qb$$"
for ns in "$A" "$B"; do
    ip -n "$ns" link set lo up
done
ip -n "$A" link set "qa$$" up
ip -n "$B" link set "qb$$" up
# `ip netns exec` mounts these over /etc/hosts inside the namespace.
mkdir -p "/etc/netns/$A" "/etc/netns/$B"
printf '127.0.0.1 localhost\n127.0.1.1 hosta\n192.0.2.2 hostb\n' >"/etc/netns/$A/hosts"
printf '127.0.0.1 localhost\n127.0.1.1 hostb\n192.0.2.1 hosta\n' >"/etc/netns/$B/hosts"

# on HOST CMD...: runs CMD on that host, under its own host name.
on() {
    local ns=$A name=hosta
    [ "$1" = b ] && ns=$B name=hostb
    shift
    ip netns exec "$ns" unshare --uts sh -c 'hostname "$0" && exec "$@"' "$name" "$@"
}

# Each host's own system bus and Avahi daemon. The daemon sees only its
# host's interfaces; /run is private to it, so the two daemons' pid files and
# sockets do not meet each other nor the machine's own daemon.
AVAHI=
WHY=
start_avahi() { # HOST; WHY says why not when it cannot
    local ns=$A name=hosta daemon
    [ "$1" = b ] && ns=$B name=hostb
    command -v dbus-daemon >/dev/null && command -v avahi-daemon >/dev/null ||
        { WHY="dbus-daemon or avahi-daemon is not installed"; return 1; }
    private_system_bus_config "$WORK/bus-$1" >"$WORK/bus-$1.conf"
    # IPv4 only: the documentation range is what the checks look for.
    printf '[server]\nuse-ipv4=yes\nuse-ipv6=no\nenable-dbus=yes\n[wide-area]\nenable-wide-area=no\n[publish]\npublish-hinfo=no\npublish-workstation=no\n' \
        >"$WORK/avahi.conf"
    ip netns exec "$ns" dbus-daemon --config-file="$WORK/bus-$1.conf" --nofork >"$WORK/bus-$1.log" 2>&1 &
    PIDS="$PIDS $!"
    for _ in $(seq 1 50); do
        [ -S "$WORK/bus-$1" ] && break
        sleep 0.1
    done
    [ -S "$WORK/bus-$1" ] || { WHY="dbus-daemon did not start: $(cat "$WORK/bus-$1.log")"; return 1; }
    DBUS_SYSTEM_BUS_ADDRESS=unix:path=$WORK/bus-$1 ip netns exec "$ns" unshare --uts --mount sh -c \
        'hostname "$0" && mount -t tmpfs -o mode=0755 tmpfs /run && mkdir /run/avahi-daemon && exec "$@"' "$name" \
        avahi-daemon --no-drop-root --no-chroot --no-rlimits -f "$WORK/avahi.conf" >"$WORK/avahi-$1.err" 2>&1 &
    daemon=$!
    PIDS="$PIDS $daemon"
    for _ in $(seq 1 100); do
        grep -q "Server startup complete" "$WORK/avahi-$1.err" && return 0
        kill -0 "$daemon" 2>/dev/null || break
        sleep 0.1
    done
    WHY="avahi-daemon did not start on host $1: $(cat "$WORK/avahi-$1.err")"
    return 1
}
if start_avahi a && start_avahi b; then
    AVAHI=yes
else
    echo "skipped: DNS-SD between the hosts: $WHY"
fi

# settings FILE ADDRESS ALLOW_ALL [NETWORK MASK]: a settings document as the settings page writes it.
settings() {
    local list=
    [ $# -ge 5 ] && list="<NetworkInfoList>\r\n<NetworkInfo Network=\"$4\" Mask=\"$5\"/>\r\n</NetworkInfoList>\r\n"
    printf "<?xml version=\"1.0\" ?>\r\n<Quillet>\r\n<NetworkProperty>\r\n<AcceptConnection Bool=\"True\"/>\r\n<ReceiveChannel Address=\"$2\" Port=\"4126\"/>\r\n<AcceptTransfer Bool=\"True\" User=\"\" Passwd=\"\"/>\r\n<AllowAll Bool=\"$3\"/>\r\n$list</NetworkProperty>\r\n</Quillet>\r\n" >"$1"
}

# serve NAME HOST SETTINGS: starts serve on HOST with its notes in WORK/NAME.
serve() {
    local ns=$A name=hosta
    [ "$2" = b ] && ns=$B name=hostb
    # One simple command, each step exec'ing the next: $! is serve's own pid.
    ip netns exec "$ns" unshare --uts sh -c 'hostname "$0" && exec "$@"' "$name" \
        "$CLI" serve --notes "$WORK/$1" --config "$3" >"$WORK/$1.out" 2>"$WORK/$1.err" &
    PIDS="$PIDS $!"
    SERVED=$!
    for _ in $(seq 1 100); do
        grep -q '^listening on' "$WORK/$1.out" 2>/dev/null && return 0
        kill -0 "$SERVED" 2>/dev/null || fail "serve $1 ended before listening"
        sleep 0.1
    done
    fail "serve $1 printed no 'listening on' line"
}
stop() {
    kill "$SERVED" && wait "$SERVED" 2>/dev/null || true
}

# Receiving turned on with Address left empty: the page stores the host's own name.
settings "$WORK/open.ini" hosta True
serve notes-a a "$WORK/open.ini"
listen=$(sed -n 's/^listening on //p' "$WORK/notes-a.out")
echo "host a: listening on $listen"
case $listen in
"[::]:4126" | "::"*4126 | "0.0.0.0:4126") ;;
*) fail "the own host name should mean every address, not $listen" ;;
esac

on b "$CLI" send 192.0.2.1 --text "from host b by address" >"$WORK/send.out" 2>&1 || fail "send by address: $(cat "$WORK/send.out")"
on b "$CLI" send hosta --text "from host b by name" >"$WORK/send.out" 2>&1 || fail "send by name: $(cat "$WORK/send.out")"
on b "$CLI" list hosta >"$WORK/list.out" 2>&1 || fail "list: $(cat "$WORK/list.out")"
echo "host b lists host a:"
cat "$WORK/list.out"
[ "$(grep -c '^received note' "$WORK/notes-a.out")" -eq 2 ] || fail "host a did not store both notes"
id=$(sed -n 's/^received note \([0-9]*\)$/\1/p' "$WORK/notes-a.out" | head -1)
grep -q "$id" "$WORK/list.out" || fail "the list lacks note $id"
on b "$CLI" fetch 192.0.2.1 "$id" --out "$WORK/fetched" >"$WORK/fetch.out" 2>&1 || fail "fetch: $(cat "$WORK/fetch.out")"
[ -s "$WORK/fetched/$id" ] || fail "the fetched note $id is missing"

# A note document that cannot be read is refused, so the sender keeps it
# (quillet-cli checks before sending; a raw request shows the server's answer).
answer=$(on b bash -c 'exec 3<>/dev/tcp/192.0.2.1/4126 &&
    printf "PUT /Message HTTP/1.0\r\nContent-Type: text/x-quillet\r\nContent-Length: 20\r\n\r\n<Quillet><SheetPrope" >&3 &&
    head -1 <&3')
echo "broken note document: $answer"
case $answer in
"HTTP/1.0 400"*) ;;
*) fail "a broken note document was answered '$answer'" ;;
esac
[ "$(grep -c '^received note' "$WORK/notes-a.out")" -eq 2 ] || fail "a broken note document was stored"
stop

# Only the listed network may send ...
settings "$WORK/allow.ini" "" False 192.0.2.0/24 ""
serve allowed a "$WORK/allow.ini"
on b "$CLI" send 192.0.2.1 --text "allowed prefix" >"$WORK/send.out" 2>&1 || fail "an allowed prefix was refused"
stop
# ... and a listed peer is refused when the list names the refused ones.
settings "$WORK/deny.ini" "" True 192.0.2.2 32
serve denied a "$WORK/deny.ini"
if on b "$CLI" send 192.0.2.1 --text "denied peer" --timeout 5 >"$WORK/send.out" 2>&1; then
    fail "a denied peer got through"
fi
echo "denied peer: $(cat "$WORK/send.out")"
on a "$CLI" send 127.0.0.1 --text "own loopback is not on the list" >"$WORK/send.out" 2>&1 ||
    fail "a peer not on the deny list was refused"
stop

# desktop_home HOME ACCEPT ADDRESS PORT: a home whose settings are what the
# settings page leaves, receiving (ACCEPT True) on ADDRESS:PORT.
desktop_home() {
    mkdir -p "$1/.config/Quillet" "$1/Documents/Quillet" "$1/run"
    chmod 700 "$1/run"
    printf '<?xml version="1.0" ?>\r\n<Quillet>\r\n<ApplicationProperty>\r\n<EnableStartup Bool="False"/>\r\n<SavePath Path="%s"/>\r\n</ApplicationProperty>\r\n<NetworkProperty>\r\n<AcceptConnection Bool="%s"/>\r\n<ReceiveChannel Address="%s" Port="%s"/>\r\n<AcceptTransfer Bool="True" User="" Passwd=""/>\r\n<AllowAll Bool="True"/>\r\n</NetworkProperty>\r\n</Quillet>\r\n' \
        "$1/Documents/Quillet" "$2" "$3" "$4" >"$1/.config/Quillet/Quillet.ini"
}
notes_in() { ls "$1/Documents/Quillet" | grep -vc '_tmp$' || true; }

# start_x HOST: an X server on HOST, above the range the X scenarios take,
# which may run at the same time. Sets XDISPLAY.
start_x() {
    local ns=$A n
    [ "$1" = b ] && ns=$B
    for n in $(seq $((700 + RANDOM % 200)) 999); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    ip netns exec "$ns" Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$WORK/xvfb-$1.log" 2>&1 &
    PIDS="$PIDS $!"
    for _ in $(seq 1 50); do
        [ -S "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    [ -S "/tmp/.X11-unix/X$n" ] || fail "Xvfb did not start on :$n: $(cat "$WORK/xvfb-$1.log")"
    XDISPLAY=:$n
}

# start_desktop TAG HOST HOME DISPLAY: the desktop program on HOST, on that
# host's system bus. Sets DESKTOP to its pid.
start_desktop() {
    local ns=$A name=hosta
    [ "$2" = b ] && ns=$B name=hostb
    ip netns exec "$ns" unshare --uts sh -c 'hostname "$0" && exec "$@"' "$name" env DISPLAY="$4" HOME="$3" \
        XDG_CONFIG_HOME="$3/.config" XDG_RUNTIME_DIR="$3/run" XDG_DOCUMENTS_DIR="$3/Documents" \
        DBUS_SESSION_BUS_ADDRESS= DBUS_SYSTEM_BUS_ADDRESS="unix:path=$WORK/bus-$2" \
        "$APP" >"$WORK/$1.out" 2>"$WORK/$1.err" &
    DESKTOP=$!
    PIDS="$PIDS $DESKTOP"
}

# search_b: one host search on host b, through the program's own DNS-SD code.
search_b() {
    on b env DBUS_SYSTEM_BUS_ADDRESS="unix:path=$WORK/bus-b" "$FIND" 3000 >"$WORK/search.out" 2>&1 ||
        fail "the host search on host b: $(cat "$WORK/search.out")"
    cat "$WORK/search.out" >>"$WORK/searches.log"
}

# xb CMD...: CMD on host b's display.
xb() { ip netns exec "$B" env DISPLAY="$display_b" HOME="$WORK/desktop-b" "$@"; }
# window_b TITLE: waits for a visible window of host b's desktop program
# whose title starts so. Sets WINDOW.
window_b() {
    for _ in $(seq 1 100); do
        WINDOW=$(xb xdotool search --all --onlyvisible --pid "$desktop_b" --name "^$1" 2>/dev/null | head -1) || true
        [ -n "$WINDOW" ] && return 0
        sleep 0.1
    done
    fail "no window '$1' on host b"
}
# first_row WINDOW: clicks the first row of the list at the top of a dialog, under its headers.
first_row() {
    eval "$(xb xdotool getwindowgeometry --shell "$1")"
    xb xdotool mousemove $((X + 60)) $((Y + 36)) sleep 0.2 click 1
    sleep 0.3
}
shot() { xb import -window root "$ARTIFACTS/$1.png" && echo "screenshot $ARTIFACTS/$1.png"; }

# The user of host b sends a note the way the program offers: Send message,
# Add, Find; the search dialog lists host a, and what it fills in reaches it.
search_dialog_b() {
    local homeb=$WORK/desktop-b note= w before
    mkdir -p "$ARTIFACTS" "$homeb/.icewm"
    start_x b
    display_b=$XDISPLAY
    printf 'TaskBarShowTray=1\nTaskBarShowClock=0\nTaskBarShowAPMStatus=0\nTaskBarShowMailboxStatus=0\n' \
        >"$homeb/.icewm/preferences"
    xb icewm >"$WORK/icewm.log" 2>&1 &
    PIDS="$PIDS $!"
    desktop_home "$homeb" False "" 4126
    start_desktop desktop-b b "$homeb" "$display_b"
    desktop_b=$DESKTOP
    for _ in $(seq 1 100); do
        [ -s "$homeb/.config/Quillet/localport.ini" ] && break
        sleep 0.1
    done
    [ -s "$homeb/.config/Quillet/localport.ini" ] || fail "the desktop program on host b did not start"
    on b bash -c 'printf "found by the search dialog" >"/dev/tcp/127.0.0.1/$0"' "$(cat "$homeb/.config/Quillet/localport.ini")"
    # The note: the program's window larger than the tray icon.
    for _ in $(seq 1 100); do
        for w in $(xb xdotool search --onlyvisible --pid "$desktop_b" 2>/dev/null); do
            WIDTH=0
            eval "$(xb xdotool getwindowgeometry --shell "$w")"
            [ "$WIDTH" -gt 64 ] && note=$w
        done
        [ -n "$note" ] && break
        sleep 0.1
    done
    [ -n "$note" ] || fail "no note on host b's desktop"
    eval "$(xb xdotool getwindowgeometry --shell "$note")"
    xb xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) sleep 0.2 click 3
    sleep 0.8
    xb xdotool key s
    window_b 'Send message'
    sleep 0.5
    xb xdotool key alt+a
    window_b 'Host Information'
    sleep 0.5
    xb xdotool key alt+f
    window_b 'Search host'
    sleep 2
    first_row "$WINDOW"
    shot host-search
    xb xdotool key Return
    sleep 0.5
    shot host-info
    xb xdotool key Return
    sleep 0.5
    window_b 'Send message'
    first_row "$WINDOW"
    shot send-dialog
    before=$(notes_in "$home")
    xb xdotool key Return
    for _ in $(seq 1 50); do
        [ "$(notes_in "$home")" -gt "$before" ] && break
        sleep 0.1
    done
    [ "$(notes_in "$home")" -gt "$before" ] || fail "the note sent from the search dialog's choice did not arrive"
    grep -q 'Name="192.0.2.1" Port="4126"' "$homeb/.config/Quillet/SendLog.ini" ||
        fail "host b's destination is not host a's address: $(cat "$homeb/.config/Quillet/SendLog.ini")"
}

# The desktop program on host a, receiving from host b.
if [ -n "$APP" ] && command -v Xvfb >/dev/null; then
    start_x a
    display_a=$XDISPLAY
    if [ -n "$AVAHI" ]; then
        # A user of host a who typed a loopback address: reachable there only, never announced.
        desktop_home "$WORK/loopback" True 127.0.0.1 4127
        start_desktop loopback a "$WORK/loopback" "$display_a"
    fi
    home=$WORK/desktop
    desktop_home "$home" True hosta 4126
    start_desktop desktop a "$home" "$display_a"
    desktop=$DESKTOP
    sent=
    for _ in $(seq 1 50); do
        if on b "$CLI" send hosta --text "to the desktop on host a" --timeout 5 >"$WORK/send.out" 2>&1; then
            sent=yes
            break
        fi
        kill -0 "$desktop" 2>/dev/null || fail "the desktop program ended: $(cat "$WORK/desktop.err")"
        sleep 0.2
    done
    [ -n "$sent" ] || fail "the desktop program on host a was not reachable from host b: $(cat "$WORK/send.out")"
    for _ in $(seq 1 50); do
        [ "$(notes_in "$home")" -ge 1 ] && break
        sleep 0.1
    done
    [ "$(notes_in "$home")" -ge 1 ] || fail "the desktop program stored no note"
    on b "$CLI" list hosta >"$WORK/list.out" 2>&1 || fail "list of the desktop program: $(cat "$WORK/list.out")"
    echo "host b lists the desktop program on host a:"
    cat "$WORK/list.out"
    # The list is the program's notes: one line for each stored note, by its ID.
    listed=$(awk '/^Messages:/ { m = 1; next } /^Groups:/ { m = 0 } m { print $1 }' "$WORK/list.out")
    [ "$(echo "$listed" | grep -c .)" -eq "$(notes_in "$home")" ] || fail "the desktop program lists other notes than it stores"
    for id in $listed; do
        grep -qs "<SheetID ID=\"$id\"/>" "$home"/Documents/Quillet/* || fail "listed note $id is not stored on host a"
    done

    if [ -z "$AVAHI" ]; then
        : # said above
    elif [ -z "$FIND" ]; then
        echo "skipped: host search: no search program given (QUILLET_FIND_HOSTS)"
    else
        sent=
        for _ in $(seq 1 25); do
            if [ -z "$sent" ] && on a "$CLI" send 127.0.0.1:4127 --text "over host a's loopback" --timeout 5 \
                >"$WORK/send.out" 2>&1; then
                sent=yes
            fi
            [ "$(notes_in "$WORK/loopback")" -ge 1 ] && break
            sleep 0.2
        done
        [ "$(notes_in "$WORK/loopback")" -ge 1 ] ||
            fail "the desktop program on host a's loopback does not receive: $(cat "$WORK/send.out")"
        if on b "$CLI" send 192.0.2.1:4127 --text "loopback only" --timeout 5 >"$WORK/send.out" 2>&1; then
            fail "a server bound to loopback was reached from host b"
        fi
        # The announcement takes a moment: search until host a shows up.
        found=
        for _ in $(seq 1 15); do
            search_b
            found=$(awk '$1 == "found" && $4 == 4126' "$WORK/search.out") && [ -n "$found" ] && break
            sleep 0.5
        done
        [ -n "$found" ] || fail "host b's search did not find the desktop program on host a: $(cat "$WORK/searches.log")"
        echo "host b's search: $found"
        read -r _ host address port _ <<<"$found"
        [ "$host" = hosta.local ] && [ "$address" = 192.0.2.1 ] ||
            fail "host a was found as $host at $address, not hosta.local at 192.0.2.1"
        # By now the loopback one, started first, would have been seen too.
        search_b
        if awk '$1 == "found" && $4 == 4127 { bad = 1 } END { exit !bad }' "$WORK/searches.log"; then
            fail "a server bound to loopback was announced: $(cat "$WORK/searches.log")"
        fi
        before=$(notes_in "$home")
        on b "$CLI" send "$address:$port" --text "to the host the search found" >"$WORK/send.out" 2>&1 ||
            fail "send to the found host: $(cat "$WORK/send.out")"
        for _ in $(seq 1 50); do
            [ "$(notes_in "$home")" -gt "$before" ] && break
            sleep 0.1
        done
        [ "$(notes_in "$home")" -gt "$before" ] || fail "the note sent to the found host did not arrive"

        if command -v icewm >/dev/null && command -v xdotool >/dev/null && command -v import >/dev/null; then
            search_dialog_b
        else
            echo "skipped: the search dialog: icewm, xdotool or ImageMagick's import is not installed"
        fi
    fi
    kill "$desktop" && wait "$desktop" 2>/dev/null || true
fi

# The other way round, Address empty on host b.
settings "$WORK/b.ini" "" True
serve notes-b b "$WORK/b.ini"
on a "$CLI" send hostb --text "from host a" >"$WORK/send.out" 2>&1 || fail "send a -> b: $(cat "$WORK/send.out")"
stop
echo "passed"
