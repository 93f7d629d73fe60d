#!/bin/bash
# Checks that ctest runs each tier of the suite when asked for it, and only then:
#   check_tiers.sh CTEST BUILD_DIR
# FAST, E2E and PACKAGE in the environment name the tests of each tier (their label), separated by
# blanks. A plain ctest and one that leaves a tier out list the fast tests alone; one that asks for
# a label or a name lists the slow tests too (CTestCustom.cmake decides). ctest -N only lists, but
# even so writes its log over that of the run this test is part of: it lists a copy of the files
# that describe the tests, in a folder of its own.
set -euo pipefail
if [[ ! -r /proc/self/cmdline ]]; then
    echo "SKIP: without /proc/self/cmdline ctest runs the fast tests alone, whatever it is asked for"
    exit 77
fi
ctest=$1
build=$(mktemp -d)
trap 'rm -rf "$build"' EXIT
(cd "$2" && find . \( -name CTestTestfile.cmake -o -name CTestCustom.cmake \) -print0 | tar -c --null -T -) |
    tar -x -C "$build"
failed=0
# expect WHAT "TEST..." CTEST_ARGUMENT...: the tests that ctest -N lists given those arguments.
expect() {
    local what=$1 wanted listed
    wanted=$(tr ' ' '\n' <<<"$2" | sed '/^$/d' | sort | paste -sd ' ')
    shift 2
    listed=$("$ctest" --test-dir "$build" -N "$@" | sed -n 's/^ *\(Test\|Memory Check\) *#[0-9]*: //p' |
        sort | paste -sd ' ')
    if [[ "$listed" == "$wanted" ]]; then
        echo "ok: $what (ctest${*:+ $*}): ${listed:-none}"
    else
        echo "FAIL: $what (ctest${*:+ $*}) lists ${listed:-none}; expected ${wanted:-none}"
        failed=1
    fi
}
round=${E2E%% *}
checked=$(tr ' ' '\n' <<<"$FAST" | grep -vx test_tiers | paste -sd ' ')
expect "a plain run" "$FAST"
expect "the fast tier by its label" "$FAST" -L fast
expect "all but the end-to-end rounds" "$FAST" -LE e2e
expect "all but the package check" "$FAST" --label-exclude package
expect "the end-to-end rounds" "$E2E" -L e2e
expect "the package check" "$PACKAGE" --label-regex package
expect "every tier" "$FAST $E2E $PACKAGE" --tests-regex .
expect "one round by its name" "$round" -R "^$round\$"
# A memcheck run (scripts/test's is valgrind's; this type needs no program to list the tests).
expect "a memcheck run, but for this check" "$checked" -T memcheck --overwrite MemoryCheckType=AddressSanitizer
exit $failed
