#!/usr/bin/env bash
# The program in a Wayland session: GNOME's compositor started headless with
# XWayland, on a private session bus. Notes come up at their saved places,
# have no taskbar entry, and the commands of a second start reach them.
# Usage: wayland_mutter.sh PATH-TO-quillet
set -euo pipefail

APP=$1
WORK=$(mktemp -d /tmp/quillet-wayland-XXXXXX)
PIDS=
cleanup() {
    for pid in $PIDS; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    done
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    for f in "$WORK"/*.log; do
        [ -f "$f" ] && { echo "--- $f" >&2; tail -20 "$f" >&2; }
    done
    exit 1
}
command -v mutter >/dev/null && command -v Xwayland >/dev/null || fail "mutter and Xwayland are needed (scripts/bootstrap)"

export HOME=$WORK/home
export XDG_RUNTIME_DIR=$WORK/run XDG_CONFIG_HOME=$HOME/.config XDG_DOCUMENTS_DIR=$HOME/Documents
mkdir -p "$XDG_CONFIG_HOME/Quillet" "$XDG_DOCUMENTS_DIR/Quillet"
mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
dbus-daemon --session --address="unix:path=$WORK/bus" --nofork --nopidfile >"$WORK/bus.log" 2>&1 &
PIDS="$PIDS $!"
export DBUS_SESSION_BUS_ADDRESS=unix:path=$WORK/bus
for _ in $(seq 1 50); do [ -S "$WORK/bus" ] && break; sleep 0.1; done

mutter --wayland --headless --virtual-monitor 1024x768 >"$WORK/mutter.log" 2>&1 &
PIDS="$PIDS $!"
display=
for _ in $(seq 1 100); do
    display=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$WORK/mutter.log")
    [ -n "$display" ] && [ -n "$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* 2>/dev/null)" ] && break
    sleep 0.1
done
[ -n "$display" ] || fail "mutter started no XWayland display"
export DISPLAY=$display WAYLAND_DISPLAY=wayland-0
XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* | head -1)
export XAUTHORITY
echo "mutter: Wayland display wayland-0, XWayland $DISPLAY"

# Two notes with saved places and sizes.
for i in 1 2; do
    printf '<?xml version="1.0" ?>\r\n<Quillet>\r\n<SheetProperty>\r\n<SheetTitle Title="wayland %d"/>\r\n<SheetID ID="%d"/>\r\n<SheetDimension X="%d" Y="%d" Width="220" Height="120"/>\r\n</SheetProperty>\r\n<Message>\r\n41\r\n</Message>\r\n</Quillet>\r\n' \
        "$i" $((1600000000 + i)) $((100 * i)) $((150 * i)) >"$XDG_DOCUMENTS_DIR/Quillet/$((1600000000 + i))"
done
"$APP" >"$WORK/app.log" 2>&1 &
PIDS="$PIDS $!"
app=$!

# notes: "x,y,w,h state" per note window, sorted.
notes() {
    for w in $(xdotool search --class quillet 2>/dev/null); do
        xwininfo -id "$w" 2>/dev/null | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
            /Width:/ { w = $2 } /Height:/ { h = $2 } /Map State/ { s = $3 } END { if (w == 220) print x "," y "," w "," h " " s }'
    done | sort
}
expect_notes() { # STATE
    for _ in $(seq 1 50); do
        [ "$(notes)" = "$(printf '100,150,220,120 %s\n200,300,220,120 %s' "$1" "$1")" ] && return 0
        kill -0 "$app" 2>/dev/null || fail "the program ended"
        sleep 0.2
    done
    fail "notes are not where they were saved ($1): $(notes | tr '\n' ' ')"
}
expect_notes IsViewable
echo "notes at their saved places: $(notes | tr '\n' ' ')"
if [ -n "${E2E_SHOTS:-}" ]; then
    mkdir -p "$E2E_SHOTS"
    # Rootless XWayland has no root picture to take: each note window instead.
    n=0
    for w in $(xdotool search --onlyvisible --class quillet); do
        n=$((n + 1))
        import -window "$w" "$E2E_SHOTS/wayland-note-$n.png" 2>"$WORK/import.log" || true
    done
fi


"$APP" --hide-all || fail "--hide-all was not taken"
expect_notes IsUnMapped
"$APP" || fail "a second start was not taken"
expect_notes IsViewable
"$APP" --quit || fail "--quit was not taken"
for _ in $(seq 1 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$app" 2>/dev/null || fail "the program did not quit"
echo "passed"
