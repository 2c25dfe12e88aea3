#!/usr/bin/env bash
# The bridge command with the real program: it starts the program when it
# does not run, and a text and a note document arrive as notes.
# Usage: bridge.sh QUILLET QUILLETFIRE
QUILLET=$1
QUILLETFIRE=$2
. "$(dirname "$0")/harness.sh"
. "$(dirname "$0")/app_helpers.sh"
e2e_setup bridge

# Not running: the bridge starts the program named by QUILLET_APP_PATH.
export QUILLET_APP_PATH=$QUILLET
"$QUILLETFIRE" "started by the bridge" || e2e_fail "quilletfire reported failure"
e2e_wait '[ "$(app_note_files | wc -l)" -eq 1 ]' 20 || e2e_fail "the text did not become a note"
first=$(app_save_folder)/$(app_note_files | head -1)
[[ $(app_note_text "$first") == *"started by the bridge"* ]] || e2e_fail "wrong text in $first"
pid=$(app_own_pids "$QUILLET" | head -1)
[ -n "$pid" ] || e2e_fail "the program is not running"
E2E_PIDS+=("$pid")

# Running now: a note document from a file becomes a complete note.
sed -e 's/<SheetTitle Title="[^"]*"\/>/<SheetTitle Title="From a script"\/>/' \
    -e 's/<SheetID ID="[0-9]*"\/>/<SheetID ID="4242"\/>/' "$first" >"$E2E_DIR/document"
"$QUILLETFIRE" --file "$E2E_DIR/document" || e2e_fail "quilletfire --file reported failure"
e2e_wait '[ -f "$(app_save_folder)/4242" ]' 10 || e2e_fail "the document did not become note 4242"
grep -q 'Title="From a script"' "$(app_save_folder)/4242" || e2e_fail "title lost"
[ "$(app_own_pids "$QUILLET" | wc -l)" -eq 1 ] || e2e_fail "a second program was started"

# Standard input works too.
printf 'piped text' | "$QUILLETFIRE" || e2e_fail "quilletfire from standard input reported failure"
e2e_wait '[ "$(app_note_files | wc -l)" -eq 3 ]' 10 || e2e_fail "the piped text did not become a note"
e2e_wait '[ "$(app_note_count "$pid")" -eq 3 ]' 10 || e2e_fail "not three note windows"
e2e_screenshot bridge-notes
e2e_stop_program "$pid"
e2e_pass
