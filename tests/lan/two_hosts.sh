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
# Usage: two_hosts.sh PATH-TO-quillet-cli [PATH-TO-quillet]
set -euo pipefail

CLI=$1
APP=${2:-}
fail() {
    echo "FAIL: $*" >&2
    for f in "$WORK"/*.out "$WORK"/*.err; do
        [ -f "$f" ] && { echo "--- $f" >&2; cat "$f" >&2; }
    done
    exit 1
}
WORK=$(mktemp -d /tmp/quillet-lan-XXXXXX)
[ "$(id -u)" -eq 0 ] || fail "making network namespaces needs root (CI runs as root)"
command -v ip >/dev/null && command -v unshare >/dev/null || fail "ip (iproute2) and unshare (util-linux) are needed"

A=qlan-a-$$
B=qlan-b-$$
PIDS=
cleanup() {
    for pid in $PIDS; do
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

# The desktop program on host a, receiving from host b.
if [ -n "$APP" ] && command -v Xvfb >/dev/null; then
    home=$WORK/desktop
    mkdir -p "$home/.config/Quillet" "$home/Documents/Quillet" "$home/run"
    chmod 700 "$home/run"
    printf '<?xml version="1.0" ?>\r\n<Quillet>\r\n<ApplicationProperty>\r\n<EnableStartup Bool="False"/>\r\n<SavePath Path="%s"/>\r\n</ApplicationProperty>\r\n<NetworkProperty>\r\n<AcceptConnection Bool="True"/>\r\n<ReceiveChannel Address="hosta" Port="4126"/>\r\n<AcceptTransfer Bool="True" User="" Passwd=""/>\r\n<AllowAll Bool="True"/>\r\n</NetworkProperty>\r\n</Quillet>\r\n' \
        "$home/Documents/Quillet" >"$home/.config/Quillet/Quillet.ini"
    # Above the range the X scenarios take, which may run at the same time.
    for n in $(seq $((700 + RANDOM % 200)) 999); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    display=:$n
    ip netns exec "$A" Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$WORK/xvfb.out" 2>&1 &
    PIDS="$PIDS $!"
    sleep 1
    ip netns exec "$A" unshare --uts sh -c 'hostname hosta && exec "$@"' sh env DISPLAY="$display" HOME="$home" \
        XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home/run" XDG_DOCUMENTS_DIR="$home/Documents" \
        DBUS_SESSION_BUS_ADDRESS= "$APP" >"$WORK/desktop.out" 2>"$WORK/desktop.err" &
    PIDS="$PIDS $!"
    desktop=$!
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
        [ "$(ls "$home/Documents/Quillet" | wc -l)" -ge 1 ] && break
        sleep 0.1
    done
    [ "$(ls "$home/Documents/Quillet" | wc -l)" -ge 1 ] || fail "the desktop program stored no note"
    on b "$CLI" list hosta >"$WORK/list.out" 2>&1 || fail "list of the desktop program: $(cat "$WORK/list.out")"
    echo "host b lists the desktop program on host a:"
    cat "$WORK/list.out"
    kill "$desktop" && wait "$desktop" 2>/dev/null || true
fi

# The other way round, Address empty on host b.
settings "$WORK/b.ini" "" True
serve notes-b b "$WORK/b.ini"
on a "$CLI" send hostb --text "from host a" >"$WORK/send.out" 2>&1 || fail "send a -> b: $(cat "$WORK/send.out")"
stop
echo "passed"
