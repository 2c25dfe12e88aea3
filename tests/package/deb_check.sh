#!/bin/bash
# Builds the Debian package of the build with cpack, in a scratch folder, and
# checks its control fields and, unpacked with dpkg -x, its files.
# Usage: deb_check.sh BUILD_DIR
set -euo pipefail
build=$1
. "$(dirname "$0")/common.sh"

for tool in cpack dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || { echo "deb_check: $tool not installed, skipped"; exit 77; }
done

root=$(mktemp -d "${TMPDIR:-/tmp}/quillet-deb-XXXXXX")
trap 'rm -rf "$root"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$root/out" >"$root/cpack.log" 2>&1 || { cat "$root/cpack.log"; fail "cpack failed"; }
version=$(cache_value "$build" CMAKE_PROJECT_VERSION)
arch=$(dpkg --print-architecture)
deb="$root/out/quillet_${version}_${arch}.deb"
[ -f "$deb" ] || { ls "$root/out"; fail "no quillet_${version}_${arch}.deb"; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quillet ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = utils ] || fail "Section: $(field Section)"
field Maintainer | grep -q '^[^<]\+ <[^>]\+@[^>]\+>$' || fail "Maintainer: $(field Maintainer)"
[ -n "$(field Description)" ] || fail "no Description"
# Found by dpkg-shlibdeps from the binaries, plus the SVG plug-in declared by hand.
depends=$(field Depends)
for package in libc6 libstdc++6 libqt6widgets6 libqt6svg6; do
    grep -q "\(^\|, \)$package\( \|,\|$\)" <<<"$depends" || fail "Depends lacks $package: $depends"
done
# Installed files belong to root, whoever built the package.
owners=$(dpkg-deb -c "$deb" | awk '{print $2}' | sort -u)
[ "$owners" = root/root ] || fail "files owned by $owners"

dpkg -x "$deb" "$root/unpacked"
check_tree "$root/unpacked$(cache_value "$build" CMAKE_INSTALL_PREFIX)" "$(cache_value "$build" CMAKE_INSTALL_LIBDIR)" "$version"
# The shared library ships its shlibs file, so packages built against it get a dependency.
dpkg-deb -e "$deb" "$root/control"
grep -q '^libquilletfire 1 quillet' "$root/control/shlibs" || fail "no shlibs entry for libquilletfire"
echo "deb_check: ok ($(du -h "$deb" | cut -f1) $(basename "$deb"))"
