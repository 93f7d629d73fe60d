#!/bin/bash
# Installs the build both ways a player gets the game, and checks what the validators cannot:
#   check_install.sh BUILD_DIR OUTPUT_DIR APP_ID VERSION ICON_SIZE...
# `cmake --install` into a prefix of its own (the program in bin/, which the menu starts
# through PATH), and the Debian package cpack builds from two Release trees (the program
# in /usr/games, which the menu starts by that path: it need not be on the session's PATH; both
# packages the same bytes, the program hardened as Debian's are). Each holds exactly its files;
# the icons have their sizes, and the package's changelog and the program's --version name this
# VERSION. The desktop entries and the metainfo are validated, and lintian must pass the package
# without an error or a warning. Exits 77 (skipped) where a validator is missing.
set -u
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
die() { echo "FAIL: $*"; exit 1; }
for tool in dpkg-deb desktop-file-validate appstreamcli lintian; do
    command -v $tool >/dev/null || { echo "SKIP: needs $tool (scripts/setup --tests installs it)"; exit 77; }
done
build=$(realpath "$1") id=$3 version=$4 source=$(realpath "$(dirname "$0")/..")
# Everything this check makes lies in OUTPUT_DIR, made anew.
rm -rf "$2" && mkdir -p "$2" && cd "$2" || die "no $2"
cmake --install "$build" --prefix prefix >/dev/null || die "cmake --install"
# package SOURCE TREE [CMAKE_OPTION...]: the package as a release is made, whatever this build's type
# (the sanitizers' too).
package() {
    cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "${@:3}" >/dev/null &&
        cmake --build "$2" --parallel 2 --target quickpair quickpair_icons quickpair_docs >/dev/null &&
        (cd "$2" && cpack >/dev/null) || die "package in $2"
}
# Twice, in two folders, the second time from the sources seen through another path, as a packager
# builds it: without the tests, and so without Qt Test. A Release build that runs this check (the
# suite's) is packed as it stands the first time.
if grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' "$build/CMakeCache.txt"; then
    release=$PWD/release && (cd "$build" && cpack -B "$release" >/dev/null) || die "package in $build"
else
    package "$source" release
fi
ln -s "$source" source && package source again -DBUILD_TESTING=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6Test=ON
[ ! -e again/tests ] || fail "tests without BUILD_TESTING"
deb=$(realpath release/quickpair_*.deb) && dpkg-deb -x "$deb" package || die "no package"
cmp "$deb" again/quickpair_*.deb || fail "two builds differ"
share=("applications/$id.desktop" "metainfo/$id.metainfo.xml" man/man6/quickpair.6.gz)
for size in "${@:5}"; do
    share+=("icons/hicolor/${size}x${size}/apps/$id.png")
    # A PNG's width and height are big-endian from byte 16.
    [ "$(od -An -tu4 --endian=big -j16 -N8 "package/usr/share/${share[-1]}" | xargs)" = "$size $size" ] \
        || fail "icon $size"
done

# layout FOLDER PROGRAM SHARE EXEC EXTRA_FILE...: exactly these files (no build tools, libraries
# or test programs), the program executable, and a valid desktop entry that starts it so.
layout() {
    diff <(printf '%s\n' "$2" "${share[@]/#/$3}" "${@:5}" | sort) <(find "$1" -type f -printf '%P\n' | sort) \
        || fail "$1 holds other files"
    [ -x "$1/$2" ] || fail "$1/$2 not executable"
    grep -qx "Exec=$4" "$1/$3${share[0]}" || fail "$1: Exec is not $4"
    desktop-file-validate "$1/$3${share[0]}" || fail "$1: desktop-file-validate"
}
layout prefix bin/quickpair share/ quickpair
layout package usr/games/quickpair usr/share/ /usr/games/quickpair usr/share/doc/quickpair/{copyright,changelog.gz}
cd package/usr || die "no usr"
appstreamcli validate --no-net "share/${share[1]}" || fail "appstreamcli validate"
# Debian's hardening: immediate binding, read-only relocations and the stack protector.
readelf -d games/quickpair | grep -q 'FLAGS_1.*NOW' && readelf -l games/quickpair | grep -q GNU_RELRO \
    && readelf -W --dyn-syms games/quickpair | grep -q __stack_chk_fail || fail "hardening"
# The program answers its options at once, with no display to open.
[ "$(env -i games/quickpair --version)" = "Quickpair ${version%.*}" ] || fail "--version"
refused=$(env -i games/quickpair --no-such-option 2>&1)
# Qt's own notices about the missing display may come first.
[ $? = 1 ] && grep -qx "Quickpair: Unknown option 'no-such-option'." <<<"$refused" || fail "a mistyped option: $refused"
zcat share/doc/quickpair/changelog.gz | head -n 1 | grep -qF "quickpair ($version)" || fail "changelog version"
# Informational tags (I:) are shown and may stay; errors and warnings may not.
lintian --display-info --fail-on error,warning "$deb" || fail "lintian"
[ "$failures" -eq 0 ] && echo OK
