#!/bin/sh
# Makes the Debian package and checks it: its metadata and file list, the
# size of every icon, lintian, and the validators of the desktop entry, the
# software-centre metadata and the manual page.
#
# Usage: test_package.sh SOURCE-DIR BUILD-DIR
set -u
source=$1
build=$(readlink -f "$2")

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
field() {
    dpkg-deb --field "$deb" "$1"
}

deb=$(sh "$source/scripts/package.sh" "$build" | tail -n 1) || fail "scripts/package.sh failed"
# The file name is made from the package's name, version and architecture.
[ "$(basename "$deb")" = "pelmora_$(field Version)_$(dpkg --print-architecture).deb" ] \
    || fail "the package $deb is not pelmora for this architecture"
[ "$(field Maintainer)" = "Pelmora team <pelmora@example.org>" ] || fail "wrong maintainer"
[ "$(field Section)" = comm ] || fail "wrong section"
[ "$(field Description | head -n 1)" = "scriptable telephone tone dialer" ] || fail "wrong synopsis"
[ "$(field Description | wc -l)" -gt 3 ] || fail "no long description"
# dpkg-shlibdeps found the libraries; the fonts are named by hand.
for dependency in libc6 libqt6widgets6 libqt6gui6 libsdl2-2.0-0 fonts-liberation; do
    field Depends | tr ',' '\n' | grep -q "^ *$dependency\b" || fail "the package does not depend on $dependency"
done

dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort >"$build/package-files.txt"
{
    for size in 16 22 24 32 48 64 128 256; do
        echo "./usr/share/icons/hicolor/${size}x$size/apps/pelmora.png"
    done
    cat <<'EOF_FILES'
./usr/bin/pelmora
./usr/share/applications/pelmora.desktop
./usr/share/doc/pelmora/changelog.gz
./usr/share/doc/pelmora/copyright
./usr/share/man/man1/pelmora.1.gz
./usr/share/metainfo/org.example.pelmora.metainfo.xml
EOF_FILES
} | sort | diff -u - "$build/package-files.txt" || fail "the file list differs (above)"

root=$build/package-root
rm -rf "$root"
dpkg-deb -x "$deb" "$root" || fail "cannot unpack the package"
for icon in "$root"/usr/share/icons/hicolor/*/apps/pelmora.png; do
    size=$(basename "$(dirname "$(dirname "$icon")")")
    [ "$(identify -format '%wx%h' "$icon")" = "$size" ] || fail "the icon in $size is $(identify -format '%wx%h' "$icon")"
done
lintian --fail-on error --display-level '>=warning' "$deb" || fail "lintian reports errors"
report=$(desktop-file-validate "$root/usr/share/applications/pelmora.desktop" 2>&1)
[ -z "$report" ] || fail "desktop-file-validate: $report"
appstreamcli validate-tree --no-net --pedantic "$root" || fail "the software-centre metadata does not validate"
report=$(man --warnings -l "$root/usr/share/man/man1/pelmora.1.gz" 2>&1 >/dev/null)
[ -z "$report" ] || fail "man: $report"
echo "package test passed"
