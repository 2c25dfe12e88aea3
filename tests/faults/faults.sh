#!/usr/bin/env bash
# Saves under faults: killed with SIGKILL at random moments 200 times, and a
# disk that fills up in the middle of saving. Every note file must stay one
# whole version, never torn, never lost.
# Usage: faults.sh SAVE_LOOP ENOSPC_SHIM
set -euo pipefail
LOOP=$1
SHIM=$2
WORK=$(mktemp -d /tmp/quillet-faults-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
COUNT=20

"$LOOP" once "$WORK/notes" $COUNT a >/dev/null || fail "first save failed"
for round in $(seq 1 200); do
    "$LOOP" loop "$WORK/notes" $COUNT >/dev/null &
    pid=$!
    # Somewhere in the middle of a pass: a pass takes a few milliseconds.
    sleep "0.0$((RANDOM % 10))$((RANDOM % 10))"
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null || true
    "$LOOP" check "$WORK/notes" $COUNT >"$WORK/check" || fail "after kill $round: $(cat "$WORK/check")"
done
echo "200 kills: every file whole"

# A full disk part-way: the saves report failure, the old versions stay.
"$LOOP" once "$WORK/notes" $COUNT a >/dev/null
status=0
# A sanitizer runtime must come first in the preload list. awk reads to the
# end: leaving at the first match can kill ldd's writer, and pipefail with it.
preload=$SHIM
runtime=$(ldd "$LOOP" | awk '/lib[at]san/ && !found { print $3; found = 1 }')
[ -n "$runtime" ] && preload="$runtime $SHIM"
LD_PRELOAD=$preload QUILLET_FAIL_AFTER=40000 "$LOOP" once "$WORK/notes" $COUNT b >"$WORK/full" || status=$?
[ "$status" -eq 3 ] || fail "a full disk was not reported (status $status: $(cat "$WORK/full"))"
"$LOOP" check "$WORK/notes" $COUNT >"$WORK/check" || fail "after a full disk: $(cat "$WORK/check")"
compgen -G "$WORK/notes/*_tmp" >/dev/null && fail "temporary files left behind: $(ls "$WORK/notes")"
# What could be written is the new version, the rest the old one.
newer=$(grep -l 'Version="bb"' "$WORK/notes"/* | wc -l)
[ "$newer" -gt 0 ] && [ "$newer" -lt $COUNT ] || fail "$newer of $COUNT files are new: the shim did not cut in"
echo "full disk: $(cat "$WORK/full"), $newer files new, the rest kept"

# The folder removed while running is made again by the next save.
rm -rf "$WORK/notes"
"$LOOP" once "$WORK/notes" $COUNT b >/dev/null || fail "the save folder was not recreated"
"$LOOP" check "$WORK/notes" $COUNT >/dev/null || fail "recreated folder incomplete"
echo "passed"
