#!/bin/bash
# Checks the game as `cmake --install` lays it out for a desktop.
#
#   check_install.sh files BUILD_DIR PREFIX APP_ID VERSION SIZE...
#       installs BUILD_DIR into a fresh PREFIX and checks every installed file
#   check_install.sh desktop PREFIX APP_ID     validates the desktop entry
#   check_install.sh metainfo PREFIX APP_ID    validates the AppStream metainfo
#   check_install.sh package BUILD_DIR OUTPUT_DIR APP_ID VERSION
#       builds the Debian package with cpack, checks its control fields and contents, and
#       has Debian's checker, lintian, pass it without an error or a warning
# Exits 77 (skipped) where a validator, dpkg-deb or lintian is not installed.
set -u

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_line() { grep -qxF -- "$2" "$1" || fail "$1 lacks the line: $2"; }

# Width and height from a PNG's header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'; }

check_files() {
    local build=$1 prefix=$2 id=$3 version=$4
    shift 4
    rm -rf "$prefix"
    cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }

    local expected=(bin/quickpair "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
        share/man/man6/quickpair.6.gz)
    local size
    for size in "$@"; do
        expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
    done
    # Exactly these files: no build tools, libraries or test programs.
    diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$prefix" && find . -type f | sed 's|^\./||' | sort) \
        || fail "the installed files differ from the list above"

    [ -x "$prefix/bin/quickpair" ] || fail "bin/quickpair is not executable"
    gzip -dc "$prefix/share/man/man6/quickpair.6.gz" | grep -q '^\.TH QUICKPAIR 6 ' \
        || fail "quickpair.6.gz is not a gzipped manual page of section 6"

    local desktop="$prefix/share/applications/$id.desktop"
    expect_line "$desktop" "Name=Quickpair"
    expect_line "$desktop" "Categories=Game;"
    expect_line "$desktop" "Icon=$id"
    expect_line "$desktop" "Exec=quickpair"
    grep -q '^Name\[ja\]=.' "$desktop" || fail "no Japanese name"
    grep -q '^Comment=.' "$desktop" || fail "no comment"
    grep -q '^Comment\[ja\]=.' "$desktop" || fail "no Japanese comment"

    local metainfo="$prefix/share/metainfo/$id.metainfo.xml"
    grep -qF "<id>$id</id>" "$metainfo" || fail "metainfo id is not $id"
    grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo does not launch $id.desktop"
    grep -qF "<binary>quickpair</binary>" "$metainfo" || fail "metainfo does not provide the binary"
    grep -qF "<content_rating type=\"oars-1.1\"" "$metainfo" || fail "metainfo has no content rating"
    # The newest release named in the metainfo is the version the program reports.
    grep -m1 -o '<release version="[^"]*"' "$metainfo" | grep -qF "\"$version\"" \
        || fail "the metainfo's newest release is not $version"

    for size in "$@"; do
        local png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
        [ "$(png_size "$png")" = "${size}x${size}" ] || fail "$png is $(png_size "$png"), not ${size}x${size}"
    done
}

case "${1:-}" in
files)
    shift
    check_files "$@"
    ;;
desktop)
    command -v desktop-file-validate >/dev/null || { echo "SKIP: desktop-file-validate is not installed (Debian package desktop-file-utils)"; exit 77; }
    desktop-file-validate "$2/share/applications/$3.desktop" || fail "desktop-file-validate"
    ;;
metainfo)
    command -v appstreamcli >/dev/null || { echo "SKIP: appstreamcli is not installed (Debian package appstream)"; exit 77; }
    appstreamcli validate --no-net "$2/share/metainfo/$3.metainfo.xml" || fail "appstreamcli validate"
    ;;
package)
    command -v dpkg-deb >/dev/null || { echo "SKIP: dpkg-deb is not installed (Debian package dpkg)"; exit 77; }
    id=$4 version=$5
    rm -rf "$3"
    cpack --config "$2/CPackConfig.cmake" -G DEB -B "$3" >/dev/null || { echo "FAIL: cpack -G DEB"; exit 1; }
    deb=$(ls "$3"/quickpair_*.deb 2>/dev/null | head -n 1)
    [ -n "$deb" ] || { echo "FAIL: no quickpair_*.deb in $3"; exit 1; }
    [ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section is not games"
    dpkg-deb -f "$deb" Maintainer | grep -q . || fail "no maintainer"
    dpkg-deb -f "$deb" Depends | grep -qw libqt6widgets6 || fail "does not depend on libqt6widgets6"
    dpkg-deb -f "$deb" Recommends | grep -qw qt6-wayland || fail "does not recommend qt6-wayland"
    unpacked="$3/unpacked"
    dpkg-deb -x "$deb" "$unpacked"
    [ -x "$unpacked/usr/games/quickpair" ] || fail "the package lacks the executable /usr/games/quickpair"
    for path in "usr/share/applications/$id.desktop" "usr/share/metainfo/$id.metainfo.xml" \
        usr/share/icons/hicolor/32x32/apps/$id.png usr/share/man/man6/quickpair.6.gz \
        usr/share/doc/quickpair/copyright usr/share/doc/quickpair/changelog.gz; do
        [ -f "$unpacked/$path" ] || fail "the package lacks /$path"
    done
    [ ! -e "$unpacked/usr/bin" ] || fail "the package has a /usr/bin beside /usr/games"
    # The menu starts the executable by its path, which need not be on the session's PATH.
    expect_line "$unpacked/usr/share/applications/$id.desktop" "Exec=/usr/games/quickpair"
    # The newest changelog entry is this version.
    gzip -dc "$unpacked/usr/share/doc/quickpair/changelog.gz" | head -n 1 | grep -qF "quickpair ($version)" \
        || fail "the changelog's newest entry is not version $version"
    echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

    missing=()
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$unpacked/usr/share/applications/$id.desktop" || fail "desktop-file-validate (package)"
    else
        missing+=("desktop-file-validate (Debian package desktop-file-utils)")
    fi
    if command -v lintian >/dev/null; then
        # Informational tags (I:) are shown and may stay; errors and warnings may not.
        report=$(lintian --display-info "$deb" 2>&1)
        status=$?
        echo "$report"
        grep -q '^[EW]: ' <<<"$report" && fail "lintian reports errors or warnings"
        [ "$status" -eq 0 ] || fail "lintian exited with $status"
    else
        missing+=("lintian (Debian package lintian)")
    fi
    [ "$failures" -eq 0 ] || exit 1
    if [ ${#missing[@]} -gt 0 ]; then
        echo "SKIP: the other checks passed, but these are not installed: ${missing[*]}"
        exit 77
    fi
    ;;
*)
    echo "usage: $0 files|desktop|metainfo|package ..."
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] || exit 1
echo "OK: $1"
