#!/bin/sh
# The program exports its XML reader for plug-ins (with the stream and the
# attribute list it needs), and nothing else of its own:
# a plug-in built against the headers alone is loaded into the program and
# parses a document through it.
# Usage: exports.sh QUILLET CXX SOURCE_DIR
set -eu
QUILLET=$1
CXX=$2
SRC=$3
WORK=$(mktemp -d /tmp/quillet-exports-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Ours: the dynamic symbols not versioned by a system library (a sanitizer's
# runtime data, copied into a sanitized build, is not ours either).
nm -D --defined-only "$QUILLET" | grep -v '@' | awk '{ print $3 }' | c++filt >"$WORK/exported"
for symbol in 'CSimpleXMLParser::parse(CInputStream\*)' 'vtable for CSimpleXMLParser' \
    'typeinfo for CDocumentHandler' 'typeinfo for CInputStream'; do
    grep -q "^$symbol\$" "$WORK/exported" || fail "$symbol is not exported"
done
leaked=$(grep -v -e '^\(CSimpleXMLParser\|CDocumentHandler\|CInputStream\|CAttributeList\)::' \
    -e '^\(typeinfo\|typeinfo name\|vtable\) for \(CSimpleXMLParser\|CDocumentHandler\|CInputStream\|CAttributeList\)$' \
    -e '^_\(init\|fini\|edata\|end\|_bss_start\|IO_stdin_used\)$' -e '^__\(bss_start\|data_start\|dso_handle\)$' \
    -e '^__\(asan\|ubsan\|lsan\|tsan\|sanitizer\)_' \
    "$WORK/exported" || true)
[ -z "$leaked" ] || fail "exported beyond the reader: $leaked"

"$CXX" -std=c++20 -shared -fPIC -O1 -I"$SRC/src" "$SRC/tests/exports/probe_plugin.cpp" -o "$WORK/probe.so" ||
    fail "the plug-in does not build"
# A sanitizer runtime wants to be first in the list; the probe does not care.
QUILLET_EXPORT_PROBE="$WORK/trace" ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0" \
    LD_PRELOAD="$WORK/probe.so" "$QUILLET" --version >/dev/null 2>&1 || true
[ -f "$WORK/trace" ] || fail "the plug-in did not run inside the program (unresolved symbols?)"
expected='1 <Quillet><Sheet ID=7 Title=probe></Sheet><Message>hello</Message></Quillet>'
[ "$(cat "$WORK/trace")" = "$expected" ] || fail "trace '$(cat "$WORK/trace")', expected '$expected'"
echo "passed: $(wc -l <"$WORK/exported") symbols exported; $(cat "$WORK/trace")"
