#!/bin/sh
# quillet-cli's client commands (send, list, fetch) against `quillet-cli serve`
# on loopback, with the messages and exit codes a script relies on.
# Usage: client_serve.sh PATH-TO-quillet-cli
set -u

CLI=$1
WORK=$(mktemp -d /tmp/quillet-client-XXXXXX)
PIDS=
cleanup() {
    for pid in $PIDS; do
        kill -0 "$pid" 2>/dev/null && kill -KILL "$pid" 2>/dev/null
    done
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    for f in "$WORK"/*.out "$WORK"/*.err "$WORK"/cli.*; do
        [ -f "$f" ] && { echo "--- $f"; cat "$f"; }
    done
    exit 1
}

# start NAME ARGS...: runs serve in the background, sets PORT once it listens.
start() {
    name=$1
    shift
    "$CLI" serve "$@" >"$WORK/$name.out" 2>"$WORK/$name.err" &
    pid=$!
    PIDS="$PIDS $pid"
    PORT=
    for _ in $(seq 1 100); do
        PORT=$(sed -n 's/^listening on .*:\([0-9][0-9]*\)$/\1/p' "$WORK/$name.out" 2>/dev/null)
        [ -n "$PORT" ] && return 0
        kill -0 "$pid" 2>/dev/null || fail "serve $name ended before listening"
        sleep 0.1
    done
    fail "serve $name printed no 'listening on' line"
}

# run EXPECTED-STATUS ARGS...: runs the client, keeps its output in cli.out/cli.err.
run() {
    expected=$1
    shift
    "$CLI" "$@" >"$WORK/cli.out" 2>"$WORK/cli.err"
    status=$?
    [ "$status" = "$expected" ] || fail "quillet-cli $* exited with $status, not $expected"
}

stderr_has() {
    grep -qF "$1" "$WORK/cli.err" || fail "stderr lacks '$1'"
}

# Waits until the serve output NAME holds COUNT "received note" lines.
received() {
    for _ in $(seq 1 50); do
        [ "$(grep -c '^received note' "$WORK/$1.out")" -ge "$2" ] && return 0
        sleep 0.1
    done
    fail "serve $1 did not receive $2 notes"
}

mkdir -p "$WORK/notes" "$WORK/open"
printf '<?xml version="1.0" ?>\r\n<Quillet>\r\n<NetworkProperty>\r\n<AcceptConnection Bool="True"/>\r\n<ReceiveChannel Address="" Port="4126"/>\r\n<AcceptTransfer Bool="True" User="user" Passwd="pass"/>\r\n<AllowAll Bool="True"/>\r\n</NetworkProperty>\r\n</Quillet>\r\n' >"$WORK/settings.ini"
NOTE_ID=1600000000
printf '<?xml version="1.0" ?>\r\n<Quillet>\r\n<SheetProperty>\r\n<SheetTitle Title="First &quot;note&quot;"/>\r\n<SheetID ID="%d"/>\r\n</SheetProperty>\r\n<Message>\r\n616263\r\n</Message>\r\n</Quillet>\r\n' "$NOTE_ID" >"$WORK/notes/$NOTE_ID"

start main --notes "$WORK/notes" --config "$WORK/settings.ini" --address 127.0.0.1 --port 0
MAIN=127.0.0.1:$PORT

# Help exists for every command; usage errors give 2.
run 0 --help
run 0 send --help
grep -q -- '--file' "$WORK/cli.out" || fail "send --help does not document --file"
run 0 fetch --help
grep -q -- '--out' "$WORK/cli.out" || fail "fetch --help does not document --out"
run 0 help list
grep -q -- '--basic' "$WORK/cli.out" || fail "help list does not document --basic"
run 2 send "$MAIN"
run 2 send "$MAIN" --text a --file b
run 2 fetch "$MAIN" notanid
run 2 list "[::1"

# A plain text, a note document and standard input are delivered.
run 0 send "$MAIN" --text "hello from cli"
received main 1
grep -l '68656C6C6F2066726F6D20636C69' "$WORK"/notes/* >/dev/null || fail "the text was not stored"
printf '<?xml version="1.0" ?>\r\n<Quillet>\r\n<SheetProperty>\r\n<SheetTitle Title="Sent by cli"/>\r\n<SheetID ID="1600000700"/>\r\n</SheetProperty>\r\n<Message>\r\n78797A\r\n</Message>\r\n</Quillet>\r\n' >"$WORK/sent"
run 0 send "$MAIN" --file "$WORK/sent"
received main 2
grep -l 'Title="Sent by cli"' "$WORK"/notes/* >/dev/null || fail "the note document was not stored"
printf 'from stdin' | "$CLI" send "$MAIN" - || fail "send - failed"
received main 3
grep -l '66726F6D20737464696E' "$WORK"/notes/* >/dev/null || fail "standard input was not stored"

# Listing: credentials required, Digest by default, Basic on request.
run 1 list "$MAIN"
stderr_has "Failed for authentification."
run 1 list "$MAIN" --user user --password wrong
stderr_has "Failed for authentification."
run 0 list "$MAIN" --user user --password pass
grep -q "^  $NOTE_ID	First \"note\"$" "$WORK/cli.out" || fail "list lacks the first note"
grep -q "Sent by cli" "$WORK/cli.out" || fail "list lacks the delivered note"
QUILLET_PASSWORD=pass run 0 list "$MAIN" --user user --basic
grep -q "^  $NOTE_ID	" "$WORK/cli.out" || fail "Basic list lacks the first note"

# Fetching saves documents; an unknown ID fails without a file.
run 0 fetch "$MAIN" "$NOTE_ID" --user user --password pass --out "$WORK/fetched"
head -c 33 "$WORK/fetched/$NOTE_ID" | grep -q '<Quillet>' || fail "fetched note is not a document"
grep -q '616263' "$WORK/fetched/$NOTE_ID" || fail "fetched note lacks its body"
run 1 fetch "$MAIN" 42 --user user --password pass --out "$WORK/fetched"
stderr_has "no such note"
[ ! -e "$WORK/fetched/42" ] || fail "a file was written for an unknown note"
run 1 fetch "$MAIN" "$NOTE_ID" --out "$WORK/fetched"
stderr_has "Failed for authentification."

# A server that does not allow transfers refuses the list.
start open --notes "$WORK/open" --address 127.0.0.1 --port 0
run 1 list "127.0.0.1:$PORT"
stderr_has "Retrieveing message list failed. Probably destination user deny to connect."

# Connection failures carry the program's own texts.
CLOSED=$PORT
kill -TERM $(echo $PIDS | awk '{print $2}')
wait $(echo $PIDS | awk '{print $2}') 2>/dev/null
run 1 send "127.0.0.1:$CLOSED" --text x
stderr_has "Socket can not connect."
run 1 send no-such-host.invalid --text x
stderr_has "Invalid destination"

echo "PASS"
