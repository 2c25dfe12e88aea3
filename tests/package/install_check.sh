#!/bin/bash
# Installs the build into a scratch DESTDIR and checks what a distribution
# needs: programs, the bridge library with its header and pkg-config file,
# menu entry, AppStream data, icons, help pages and manual pages.
# Usage: install_check.sh BUILD_DIR
set -euo pipefail
build=$1
. "$(dirname "$0")/common.sh"

root=$(mktemp -d "${TMPDIR:-/tmp}/quillet-install-XXXXXX")
trap 'rm -rf "$root"' EXIT

dest="$root/dest"
DESTDIR="$dest" cmake --install "$build" >"$root/install.log" 2>&1 || { cat "$root/install.log"; fail "cmake --install failed"; }
prefix="$dest$(cache_value "$build" CMAKE_INSTALL_PREFIX)"
check_tree "$prefix" "$(cache_value "$build" CMAKE_INSTALL_LIBDIR)" "$(cache_value "$build" CMAKE_PROJECT_VERSION)"

# Nothing but the deliverables leaves the build (no test programs, no static libraries).
stray=$(cd "$dest" && find . -type f -o -type l | sed 's|^\.||' | grep -v -E \
    "^$(cache_value "$build" CMAKE_INSTALL_PREFIX)/(bin/(quillet|quillet-cli|quilletfire)|$(cache_value "$build" CMAKE_INSTALL_LIBDIR)/(libquilletfire\.so(\.[0-9.]+)?|pkgconfig/quilletfire\.pc)|include/quilletfire\.h|share/(applications|metainfo|icons|man|quillet)/.*)$" || true)
[ -z "$stray" ] || fail "unexpected files installed: $stray"

# The build tree keeps its help pages beside the program, where it looks first.
for page in index.html index.ja.html; do
    [ -f "$build/src/ui/help/$page" ] || fail "build tree lacks src/ui/help/$page beside the program"
done
echo "install_check: ok"
