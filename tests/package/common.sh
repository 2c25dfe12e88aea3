# Checks shared by the install and the Debian package tests. Sourced.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# cache_value BUILD_DIR NAME: a variable of the build's CMakeCache.txt.
cache_value() {
    sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt" | head -n 1
}

# png_size FILE: "WIDTHxHEIGHT" from the PNG header.
png_size() {
    local bytes
    bytes=$(od -A n -t u1 -j 16 -N 8 "$1" | tr -s ' ' | sed 's/^ //')
    set -- $bytes
    echo "$(( ($1 << 24) | ($2 << 16) | ($3 << 8) | $4 ))x$(( ($5 << 24) | ($6 << 16) | ($7 << 8) | $8 ))"
}

# check_tree PREFIX LIBDIR VERSION: the installed files under PREFIX.
check_tree() {
    local prefix=$1 libdir=$2 version=$3
    local f
    for f in bin/quillet bin/quillet-cli bin/quilletfire; do
        [ -x "$prefix/$f" ] || fail "$f missing or not executable"
    done

    # The bridge library: versioned file, SONAME link, development link, header, pkg-config file.
    [ -f "$prefix/$libdir/libquilletfire.so.1.0.0" ] || fail "libquilletfire.so.1.0.0 missing"
    [ "$(readlink "$prefix/$libdir/libquilletfire.so.1")" = libquilletfire.so.1.0.0 ] || fail "libquilletfire.so.1 link"
    [ -L "$prefix/$libdir/libquilletfire.so" ] || fail "libquilletfire.so development link missing"
    objdump -p "$prefix/$libdir/libquilletfire.so.1.0.0" | grep -q 'SONAME *libquilletfire\.so\.1$' ||
        fail "libquilletfire has no SONAME libquilletfire.so.1"
    [ -f "$prefix/include/quilletfire.h" ] || fail "quilletfire.h missing"
    [ "$(PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig" pkg-config --modversion quilletfire)" = 1.0.0 ] ||
        fail "pkg-config does not find quilletfire 1.0.0"

    # The programs run from where they were installed; quilletfire finds its library by its run path.
    env -u LD_LIBRARY_PATH "$prefix/bin/quilletfire" --version | grep -q '^quilletfire 1\.0\.0$' ||
        fail "installed quilletfire does not run"
    "$prefix/bin/quillet" --version | grep -q "^quillet $version\$" || fail "installed quillet --version"
    "$prefix/bin/quillet-cli" --help >/dev/null || fail "installed quillet-cli --help"

    # Menu entry.
    local desktop="$prefix/share/applications/quillet.desktop"
    [ -f "$desktop" ] || fail "quillet.desktop missing"
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
    grep -qx 'Exec=quillet' "$desktop" || fail "desktop file: Exec"
    grep -qx 'Icon=quillet' "$desktop" || fail "desktop file: Icon"
    grep -q '^Categories=.*Utility;' "$desktop" || fail "desktop file: Categories"

    # AppStream: valid, launches the installed desktop file, and names this release.
    local metainfo="$prefix/share/metainfo/io.github.quillet.Quillet.metainfo.xml"
    [ -f "$metainfo" ] || fail "metainfo missing"
    appstreamcli validate --no-net "$metainfo" >/dev/null 2>&1 ||
        { appstreamcli validate --no-net "$metainfo"; fail "appstreamcli validate"; }
    local launchable
    launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
    [ -f "$prefix/share/applications/$launchable" ] || fail "metainfo launchable $launchable is not installed"
    grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo has no release $version"

    # Icons: the SVG and a bitmap of each size, really that size.
    [ -f "$prefix/share/icons/hicolor/scalable/apps/quillet.svg" ] || fail "scalable icon missing"
    local size png
    for size in 16 22 24 32 48 64 128 256; do
        png="$prefix/share/icons/hicolor/${size}x${size}/apps/quillet.png"
        [ -f "$png" ] || fail "${size}x${size} icon missing"
        [ "$(png_size "$png")" = "${size}x${size}" ] || fail "${size}x${size} icon is $(png_size "$png")"
    done

    # Help pages where the program looks for them (bin/../share/quillet/help), well formed,
    # with every in-page link resolving.
    local page ids
    for page in index.html index.ja.html; do
        f="$prefix/share/quillet/help/$page"
        [ -f "$f" ] || fail "help page $page missing"
        xmllint --noout "$f" || fail "help page $page is not well formed"
        ids=$(grep -o 'id="[^"]*"' "$f" | sed 's/id="\(.*\)"/\1/')
        for anchor in $(grep -o 'href="#[^"]*"' "$f" | sed 's/href="#\(.*\)"/\1/'); do
            grep -qx "$anchor" <<<"$ids" || fail "$page links to missing #$anchor"
        done
    done
    grep -q 'lang="ja"' "$prefix/share/quillet/help/index.ja.html" || fail "Japanese page not marked lang=ja"

    # Manual pages render without a warning.
    local warnings
    for page in quillet quillet-cli quilletfire; do
        f="$prefix/share/man/man1/$page.1"
        [ -f "$f" ] || fail "manual page $page.1 missing"
        warnings=$(groff -man -Tutf8 -ww -z "$f" 2>&1)
        [ -z "$warnings" ] || fail "$page.1: $warnings"
        groff -man -Tutf8 -P-cbou "$f" 2>/dev/null | grep -q "^NAME" || fail "$page.1 renders no NAME section"
    done
}
