#!/bin/sh
# Runs a test that needs an Avahi daemon (by default the DNS-SD round trip of
# test_platform) against a private D-Bus bus and Avahi daemon started here
# (root only: Avahi needs its runtime folder), or against a daemon that
# already runs. Exit 77 = skipped.
# Usage: avahi_roundtrip.sh path/to/test_program [GTEST_FILTER]
test_program=$1
filter=--gtest_filter=${2:-ServiceDiscoveryTest.AnnouncedServiceIsFoundByABrowse}

if [ -S /run/dbus/system_bus_socket ] && [ -f /run/avahi-daemon/pid ] &&
    kill -0 "$(cat /run/avahi-daemon/pid)" 2>/dev/null; then
    QUILLET_TEST_AVAHI=1 exec "$test_program" "$filter"
fi
if ! command -v dbus-daemon >/dev/null || ! command -v avahi-daemon >/dev/null || [ "$(id -u)" -ne 0 ]; then
    echo "skipped: needs root, dbus-daemon and avahi-daemon"
    exit 77
fi

work=$(mktemp -d /tmp/quillet-avahi-XXXXXX)
dbus_pid=
avahi_pid=
cleanup() {
    [ -n "$avahi_pid" ] && kill "$avahi_pid" 2>/dev/null && wait "$avahi_pid" 2>/dev/null
    [ -n "$dbus_pid" ] && kill "$dbus_pid" 2>/dev/null && wait "$dbus_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

. "$(dirname "$0")/private_bus.sh"
private_system_bus_config "$work/bus" >"$work/bus.conf"
cat >"$work/avahi.conf" <<CONF
[server]
use-ipv4=yes
use-ipv6=no
enable-dbus=yes
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
CONF

# Both daemons stay children of this script, so that it reaps them.
dbus-daemon --config-file="$work/bus.conf" --nofork &
dbus_pid=$!
tries=0
until [ -S "$work/bus" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ] || ! kill -0 "$dbus_pid" 2>/dev/null; then
        echo "skipped: dbus-daemon did not start"
        exit 77
    fi
    sleep 0.1
done
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/bus"
avahi-daemon --no-drop-root --no-chroot --no-rlimits -f "$work/avahi.conf" >"$work/avahi.log" 2>&1 &
avahi_pid=$!
tries=0
until grep -q "Server startup complete" "$work/avahi.log"; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ] || ! kill -0 "$avahi_pid" 2>/dev/null; then
        echo "skipped: avahi-daemon did not start:"
        cat "$work/avahi.log"
        exit 77
    fi
    sleep 0.1
done

QUILLET_TEST_AVAHI=1 "$test_program" "$filter"
