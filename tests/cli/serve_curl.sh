#!/bin/sh
# A stock HTTP client (curl, HTTP/1.0) against `quillet-cli serve` on loopback:
# delivering a text and a note, listing with and without credentials, fetching,
# and a clean stop on SIGTERM.
# Usage: serve_curl.sh PATH-TO-quillet-cli
set -u

CLI=$1
command -v curl >/dev/null 2>&1 || { echo "curl is not installed"; exit 77; }

WORK=$(mktemp -d /tmp/quillet-serve-XXXXXX)
PID=
cleanup() {
    if [ -n "$PID" ] && kill -0 "$PID" 2>/dev/null; then
        kill -KILL "$PID" 2>/dev/null
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    echo "--- serve stdout"; cat "$WORK/out" 2>/dev/null
    echo "--- serve stderr"; cat "$WORK/err" 2>/dev/null
    exit 1
}

mkdir -p "$WORK/notes"
printf '<?xml version="1.0" ?>\r\n<Quillet>\r\n<NetworkProperty>\r\n<AcceptConnection Bool="True"/>\r\n<ReceiveChannel Address="" Port="4126"/>\r\n<AcceptTransfer Bool="True" User="user" Passwd="pass"/>\r\n<AllowAll Bool="True"/>\r\n</NetworkProperty>\r\n</Quillet>\r\n' >"$WORK/settings.ini"
NOTE_ID=1600000000
printf '<?xml version="1.0" ?>\r\n<Quillet>\r\n<SheetProperty>\r\n<SheetTitle Title="First note"/>\r\n<SheetID ID="%d"/>\r\n<SheetDimension X="10" Y="20" Width="200" Height="100"/>\r\n</SheetProperty>\r\n<Message>\r\n616263\r\n</Message>\r\n</Quillet>\r\n' "$NOTE_ID" >"$WORK/notes/$NOTE_ID"

"$CLI" serve --notes "$WORK/notes" --config "$WORK/settings.ini" --address 127.0.0.1 --port 0 >"$WORK/out" 2>"$WORK/err" &
PID=$!

PORT=
for _ in $(seq 1 100); do
    PORT=$(sed -n 's/^listening on .*:\([0-9][0-9]*\)$/\1/p' "$WORK/out" 2>/dev/null)
    [ -n "$PORT" ] && break
    kill -0 "$PID" 2>/dev/null || fail "serve ended before listening"
    sleep 0.1
done
[ -n "$PORT" ] || fail "no 'listening on' line"
URL="http://127.0.0.1:$PORT"
CURL="curl --http1.0 -s --max-time 10"

# A plain text becomes a new note file.
code=$($CURL -o /dev/null -w '%{http_code}' -X PUT -H 'Content-Type: text/plain' --data-binary 'hello from curl' "$URL/Message")
[ "$code" = 200 ] || fail "PUT text/plain gave $code"
for _ in $(seq 1 50); do
    [ "$(grep -c '^received note' "$WORK/out")" -ge 1 ] && break
    sleep 0.1
done
[ "$(ls "$WORK/notes" | wc -l)" -eq 2 ] || fail "the text was not stored as a note file"
# The text is in the stored body (hexadecimal of "hello from curl").
grep -l '68656C6C6F2066726F6D206375726C' "$WORK"/notes/* >/dev/null || fail "stored note lacks the text"

# Another content type is refused.
code=$($CURL -o /dev/null -w '%{http_code}' -X PUT -H 'Content-Type: text/html' --data-binary 'x' "$URL/Message")
[ "$code" = 406 ] || fail "PUT text/html gave $code"

# A note document arrives as a note, with its title.
printf '<?xml version="1.0" ?>\r\n<Quillet>\r\n<SheetProperty>\r\n<SheetTitle Title="Sent by curl"/>\r\n<SheetID ID="1600000500"/>\r\n</SheetProperty>\r\n<Message>\r\n78797A\r\n</Message>\r\n</Quillet>\r\n' >"$WORK/sent"
code=$($CURL -o /dev/null -w '%{http_code}' -X PUT -H 'Content-Type: text/x-quillet' --data-binary "@$WORK/sent" "$URL/Message/1600000500")
[ "$code" = 200 ] || fail "PUT text/x-quillet gave $code"
for _ in $(seq 1 50); do
    [ "$(grep -c '^received note' "$WORK/out")" -ge 2 ] && break
    sleep 0.1
done
grep -l 'Title="Sent by curl"' "$WORK"/notes/* >/dev/null || fail "the note document was not stored"

# Listing needs the credentials.
code=$($CURL -o /dev/null -w '%{http_code}' "$URL/List")
[ "$code" = 401 ] || fail "GET /List without credentials gave $code"
code=$($CURL -o "$WORK/list" -w '%{http_code} %{content_type}' -u user:pass "$URL/List")
[ "$code" = "200 text/x-quilletlist" ] || fail "GET /List gave $code"
grep -q "<Message ID=\"$NOTE_ID\" Title=\"First note\"/>" "$WORK/list" || fail "list lacks the first note: $(cat "$WORK/list")"
grep -q 'Title="Sent by curl"' "$WORK/list" || fail "list lacks the received note"
[ "$(grep -c '<Message ID=' "$WORK/list")" -eq 3 ] || fail "list does not hold three notes"

# Fetching a note gives its document; an unknown ID gives 200 without a body.
code=$($CURL -o "$WORK/fetched" -w '%{http_code} %{content_type}' -u user:pass "$URL/Message/$NOTE_ID")
[ "$code" = "200 text/x-quillet" ] || fail "GET /Message/$NOTE_ID gave $code"
head -c 22 "$WORK/fetched" | grep -q '<?xml version="1.0" ?>' || fail "fetched note is not a document"
grep -q '616263' "$WORK/fetched" || fail "fetched note lacks its body"
code=$($CURL -o "$WORK/none" -w '%{http_code}' -u user:pass "$URL/Message/42")
[ "$code" = 200 ] && [ ! -s "$WORK/none" ] || fail "GET of an unknown note gave $code"

# SIGTERM stops it cleanly and promptly.
kill -TERM "$PID"
for _ in $(seq 1 50); do
    kill -0 "$PID" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$PID" 2>/dev/null && fail "serve still runs 5 s after SIGTERM"
wait "$PID"
rc=$?
PID=
[ "$rc" = 0 ] || fail "serve exited with $rc"
echo "PASS"
