#!/bin/bash
# Checks the game as players get it, where Debian's own tools (debhelper, lintian) do not:
#   check_install.sh BUILD_DIR OUTPUT_DIR APP_ID VERSION ICON_SIZE...
# `cmake --install` of BUILD_DIR into a prefix of its own holds exactly the program in bin/, which
# the menu starts through PATH, and its desktop entry, metainfo, manual page and icons. The Debian
# package of this VERSION, built by dpkg-buildpackage from a copy of the sources twice in two
# folders (the second time without the tests), is the same bytes both times; its program lies in
# /usr/games, which the menu starts by that path (it need not be on the session's PATH), is
# hardened and answers --version and a mistyped option without a display. The desktop entries and
# the metainfo are validated, and lintian passes the source and binary packages without an error
# or a warning. Exits 77 (skipped) where a tool is missing.
set -u
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
die() { echo "FAIL: $*"; exit 1; }
for tool in git dpkg-buildpackage dh desktop-file-validate appstreamcli lintian; do
    command -v $tool >/dev/null || { echo "SKIP: needs $tool (scripts/setup --tests installs it)"; exit 77; }
done
build=$(realpath "$1") id=$3 version=$4 source=$(realpath "$(dirname "$0")/..")
# Everything this check makes lies in OUTPUT_DIR, made anew.
rm -rf "$2" && mkdir -p "$2" && cd "$2" || die "no $2"
cmake --install "$build" --prefix prefix >/dev/null || die "cmake --install"

# package FOLDER [DEB_BUILD_OPTION]: the packages built in FOLDER from the files git knows of in the
# sources, committed or not (build trees and other ignored files left out), copied to FOLDER/quickpair.
package() {
    mkdir "$1" && git -C "$source" ls-files -z --cached --others --exclude-standard |
        tar -C "$source" -c --null -T - --ignore-failed-read | tar -C "$1" -x --one-top-level=quickpair &&
        (cd "$1/quickpair" && DEB_BUILD_OPTIONS="parallel=2 ${2:-}" dpkg-buildpackage -us -uc >../build.log 2>&1) ||
        { tail -n 40 "$1/build.log"; die "dpkg-buildpackage in $1"; }
}
package release
package again nocheck
! compgen -G "again/quickpair/obj-*/tests" >/dev/null || fail "tests built with nocheck"
deb=release/quickpair_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] && [ -f "release/quickpair_$version.dsc" ] && [ -f "${deb/quickpair_/quickpair-dbgsym_}" ] \
    || die "no package, source package or debug symbols of $version"
for file in release/*.deb; do
    cmp "$file" "again/${file#release/}" || fail "two builds differ"
done
dpkg-deb -x "$deb" package || die "dpkg-deb -x"

share=("applications/$id.desktop" "metainfo/$id.metainfo.xml" man/man6/quickpair.6)
for size in "${@:5}"; do
    share+=("icons/hicolor/${size}x${size}/apps/$id.png")
done
diff <(printf '%s\n' bin/quickpair "${share[@]/#/share/}" | sort) <(find prefix -type f -printf '%P\n' | sort) \
    || fail "the prefix holds other files"
[ -x package/usr/games/quickpair ] && [ ! -e package/usr/bin ] || fail "the package's program is not in /usr/games"
# entry FOLDER EXEC: a valid desktop entry in FOLDER/share that starts the program so.
entry() {
    grep -qx "Exec=$2" "$1/share/${share[0]}" && desktop-file-validate "$1/share/${share[0]}" \
        || fail "$1: desktop entry"
}
entry prefix quickpair
entry package/usr /usr/games/quickpair
appstreamcli validate --no-net "prefix/share/${share[1]}" || fail "appstreamcli validate"

program=package/usr/games/quickpair
# The hardening lintian does not check: immediate binding and the stack protector.
readelf -d $program | grep -q 'FLAGS_1.*NOW' && readelf -W --dyn-syms $program | grep -q __stack_chk_fail \
    || fail "hardening"
# The program answers its options at once, with no display to open. Qt may add notices of its own.
[ "$(env -i $program --version)" = "Quickpair ${version%.*}" ] || fail "--version"
refused=$(env -i $program --no-such-option 2>&1)
[ $? = 1 ] && grep -qF "Unknown option 'no-such-option'." <<<"$refused" || fail "a mistyped option: $refused"
# Informational tags (I:) are shown and may stay; errors and warnings may not. Debian 12's lintian
# knows the policy only up to 4.6.2, older than the package's Standards-Version.
lintian --display-info --fail-on error,warning --suppress-tags newer-standards-version release/*.changes \
    || fail "lintian"
[ "$failures" -eq 0 ] && echo OK
