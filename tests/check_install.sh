#!/bin/bash
# Checks the game as `cmake --install` and cpack lay it out for a desktop.
#
#   check_install.sh files BUILD_DIR PREFIX APP_ID VERSION SIZE...
#       installs BUILD_DIR into a fresh PREFIX: exactly the expected files, an executable
#       program, the metainfo's newest release this VERSION
#   check_install.sh desktop PREFIX APP_ID     validates the desktop entry
#   check_install.sh metainfo PREFIX APP_ID    validates the AppStream metainfo
#   check_install.sh package BUILD_DIR OUTPUT_DIR APP_ID VERSION
#       builds the Debian package with cpack and checks what the validators cannot: the
#       program in /usr/games and the menu starting it there, Qt's Wayland plugin recommended,
#       the changelog's newest entry this VERSION; then has desktop-file-validate and Debian's
#       checker, lintian, pass it without an error or a warning
# Exits 77 (skipped) where a validator is not installed.
set -u
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# need TOOL:DEBIAN_PACKAGE...
need() { for tool; do command -v "${tool%:*}" >/dev/null || { echo "SKIP: ${tool%:*} is not installed (Debian package ${tool#*:})"; exit 77; }; done; }

case "${1:-}" in
files)
    build=$2 prefix=$3 id=$4 version=$5
    rm -rf "$prefix"
    cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
    # Exactly these files: no build tools, libraries or test programs.
    expected=(bin/quickpair "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" share/man/man6/quickpair.6.gz)
    for size in "${@:6}"; do
        expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
        # Our own tool renders the icons: a PNG's width and height are big-endian from byte 16.
        [ "$(od -An -tu4 --endian=big -j16 -N8 "$prefix/${expected[-1]}" | xargs)" = "$size $size" ] \
            || fail "${expected[-1]} is not ${size}x${size}"
    done
    diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$prefix" && find . -type f | sed 's|^\./||' | sort) \
        || fail "the installed files differ from the list above"
    [ -x "$prefix/bin/quickpair" ] || fail "bin/quickpair is not executable"
    grep -m1 -o '<release version="[^"]*"' "$prefix/share/metainfo/$id.metainfo.xml" | grep -qF "\"$version\"" \
        || fail "the metainfo's newest release is not $version"
    ;;
desktop)
    need desktop-file-validate:desktop-file-utils
    desktop-file-validate "$2/share/applications/$3.desktop" || fail "desktop-file-validate"
    ;;
metainfo)
    need appstreamcli:appstream
    appstreamcli validate --no-net "$2/share/metainfo/$3.metainfo.xml" || fail "appstreamcli validate"
    ;;
package)
    need dpkg-deb:dpkg desktop-file-validate:desktop-file-utils lintian:lintian
    out=$3 id=$4 version=$5
    rm -rf "$out"
    cpack --config "$2/CPackConfig.cmake" -G DEB -B "$out" >/dev/null || { echo "FAIL: cpack -G DEB"; exit 1; }
    deb=$(ls "$out"/quickpair_*.deb) && dpkg-deb -x "$deb" "$out/root" || { echo "FAIL: no quickpair_*.deb"; exit 1; }
    [ -x "$out/root/usr/games/quickpair" ] && [ ! -e "$out/root/usr/bin" ] || fail "the program is not (only) /usr/games/quickpair"
    # The menu starts the program by its path, which need not be on the session's PATH.
    grep -qx Exec=/usr/games/quickpair "$out/root/usr/share/applications/$id.desktop" || fail "Exec is not /usr/games/quickpair"
    dpkg-deb -f "$deb" Recommends | grep -qw qt6-wayland || fail "does not recommend qt6-wayland"
    gzip -dc "$out/root/usr/share/doc/quickpair/changelog.gz" | head -n 1 | grep -qF "quickpair ($version)" \
        || fail "the changelog's newest entry is not version $version"
    desktop-file-validate "$out/root/usr/share/applications/$id.desktop" || fail "desktop-file-validate (package)"
    # Informational tags (I:) are shown and may stay; errors and warnings may not.
    report=$(lintian --display-info "$deb" 2>&1) || fail "lintian exited with $?"
    echo "$report"
    ! grep -q '^[EW]: ' <<<"$report" || fail "lintian reports errors or warnings"
    ;;
*) echo "usage: $0 files|desktop|metainfo|package ..."; exit 2 ;;
esac
[ "$failures" -eq 0 ] || exit 1
echo "OK: $1"
