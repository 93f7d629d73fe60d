#!/bin/bash
# Checks the game as players get it, where Debian's own tools (debhelper, lintian) do not:
#   check_install.sh BUILD_DIR VERSION APP_ID APP_NAME
# `cmake --install` of BUILD_DIR into a prefix of its own holds exactly the program in bin/ and its
# desktop entry (which starts it through PATH), metainfo, manual page and icons. The Debian package
# of this VERSION, built by dpkg-buildpackage from a copy of the sources twice in two folders (the
# second time without the tests), is the same bytes both times. Its desktop entry starts the
# program as /usr/games/quickpair (lintian checks that the package holds it there): that folder
# need not be on the session's PATH. The program binds immediately and answers --help, --version
# and a mistyped option without a display. The desktop entries and the metainfo are validated, and
# lintian passes the source and binary packages without an error or a warning. Stops at the first
# failure; exits 77 (skipped) where a tool is missing.
set -u
fail() { echo "FAIL: $*"; exit 1; }
for tool in git dh desktop-file-validate appstreamcli lintian; do
    command -v $tool >/dev/null || { echo "SKIP: needs $tool (scripts/setup --tests installs it)"; exit 77; }
done
version=$2 id=$3 name=$4 source=$(realpath "$(dirname "$0")/..")
entry=applications/$id.desktop metainfo=metainfo/$id.metainfo.xml
# Everything this check makes lies in installed/ in the current folder, made anew.
rm -rf installed && mkdir installed && cmake --install "$1" --prefix installed/prefix >/dev/null && cd installed \
    || fail "cmake --install"

# package FOLDER DEB_BUILD_OPTION: the packages built in FOLDER from a copy of the files git knows of
# in the sources, committed or not (build trees and other ignored files left out).
package() {
    mkdir -p $1/quickpair && git -C "$source" ls-files -z -co --exclude-standard |
        tar -C "$source" -c --null -T - | tar -C $1/quickpair -x &&
        (cd $1/quickpair && DEB_BUILD_OPTIONS="parallel=2 $2" dpkg-buildpackage -us -uc &>../log) ||
        { tail -n 40 $1/log; fail "dpkg-buildpackage in $1"; }
}
package release "" && package again nocheck
for deb in release/*.deb; do
    cmp $deb again/${deb#*/} || fail "two builds differ"
done
dpkg-deb -x release/quickpair_"$version"_*.deb package || fail "no package of $version"

diff <(printf '%s\n' bin/quickpair share/{$entry,$metainfo,man/man6/quickpair.6} \
    share/icons/hicolor/{32x32,48x48,64x64,128x128,256x256}/apps/$id.png | sort) \
    <(find prefix -type f -printf '%P\n' | sort) || fail "the prefix holds other files"
grep -qx Exec=quickpair prefix/share/$entry && grep -qx Exec=/usr/games/quickpair package/usr/share/$entry \
    && desktop-file-validate {prefix,package/usr}/share/$entry || fail "desktop entries"
appstreamcli validate --no-net prefix/share/$metainfo || fail "appstreamcli validate"
program=package/usr/games/quickpair
# lintian only notes a missing immediate binding, which hardening=+all adds to Debian's defaults.
readelf -d $program | grep -q BIND_NOW || fail "no immediate binding"
# The program's own answers; newer Qt adds notices of its own to standard error.
[ "$(env -i $program --version)" = "$name ${version%.*}" ] || fail "--version"
env -i $program --help | grep -q '^Usage: ' || fail "--help"
refused=$(env -i $program --no-such-option 2>&1)
[ $? = 1 ] && grep -qF "Unknown option 'no-such-option'." <<<"$refused" || fail "a mistyped option: $refused"
# Informational tags (I:) are shown and may stay. Debian 12's lintian knows the policy up to 4.6.2.
lintian --display-info --fail-on error,warning --suppress-tags newer-standards-version release/*.changes \
    || fail "lintian"
echo OK
