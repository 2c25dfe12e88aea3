#!/usr/bin/env bash
# Received notes: plain text and a note document on the local port, and the
# network server with curl (PUT a text, GET the list).
QUILLET=$1
. "$(dirname "$0")/harness.sh"
. "$(dirname "$0")/app_helpers.sh"
e2e_setup receive
command -v curl >/dev/null || e2e_skip "curl is not installed"

port=$(app_free_port) || e2e_fail "no free port"
app_write_server_settings "$port" True
e2e_start_program "$QUILLET"
local_port=$(e2e_local_port)

# Plain text from the bridge becomes a note, on disk at once.
printf 'hello over the bridge' >"/dev/tcp/127.0.0.1/$local_port"
e2e_wait '[ "$(app_note_files | wc -l)" -eq 1 ]' 10 || e2e_fail "the text did not become a note"
first=$(app_save_folder)/$(app_note_files | head -1)
[[ $(app_note_text "$first") == *"hello over the bridge"* ]] || e2e_fail "wrong text in $first"

# A note document becomes a complete note: its title and ID survive.
sed -e 's/<SheetTitle Title="[^"]*"\/>/<SheetTitle Title="Forwarded"\/>/' \
    -e 's/<SheetID ID="[0-9]*"\/>/<SheetID ID="123456"\/>/' "$first" >"$E2E_DIR/document"
cat "$E2E_DIR/document" >"/dev/tcp/127.0.0.1/$local_port"
e2e_wait '[ -f "$(app_save_folder)/123456" ]' 10 || e2e_fail "the document did not become note 123456"
grep -q 'Title="Forwarded"' "$(app_save_folder)/123456" || e2e_fail "title lost"

# The network server.
printf 'sent with curl' | curl -sS --max-time 20 --http1.0 -X PUT -H 'Content-Type: text/plain' \
    --data-binary @- "http://127.0.0.1:$port/Message" -o /dev/null -w '%{http_code}' >"$E2E_DIR/put" ||
    e2e_fail "PUT failed"
[ "$(cat "$E2E_DIR/put")" = 200 ] || e2e_fail "PUT answered $(cat "$E2E_DIR/put")"
e2e_wait '[ "$(app_note_files | wc -l)" -eq 3 ]' 10 || e2e_fail "the PUT text did not become a note"
e2e_wait '[ "$(app_note_count)" -eq 3 ]' 10 || e2e_fail "not three note windows"
curl -sS --max-time 20 "http://127.0.0.1:$port/List" >"$E2E_DIR/list" || e2e_fail "GET /List failed"
grep -q 'Title="Forwarded"' "$E2E_DIR/list" || e2e_fail "the list lacks the note: $(cat "$E2E_DIR/list")"
[ "$(grep -c '<Message ID=' "$E2E_DIR/list")" -eq 3 ] || e2e_fail "the list is not three notes"
e2e_screenshot received
e2e_stop_program
e2e_pass
