#!/bin/bash
# run.sh REPO BUILD_DIR [PATCH...]
#
# Puts each hand-made fault (a patch to the product, made at the repo root with `git diff`) into
# REPO in turn, rebuilds BUILD_DIR, runs the fast tests (a plain ctest), takes the fault out again
# with `git apply -R`, and prints one line per patch:
#   NN-name CAUGHT by test_x::function(row)
#   NN-name SURVIVED
# With no PATCH, every NN-*.patch beside this script is tried, in order.
# With SLOW=1, a fault that survives the fast tests is tried on the slow ones too (ctest's labels
# e2e and package: the end-to-end rounds and the package check), and the line says which of them
# caught it.
#
# A fault counts as caught only where the tree without it passes: before any patch, BUILD_DIR must
# have been configured from REPO, and REPO as it stands must build and pass the fast tests (and
# with SLOW=1 the slow ones), or the run stops there; the first line of its output says so.
#
# REPO is restored exactly however the run ends: after a failed build, a failed test or an
# interrupt (the patch in place is reverted on exit). BUILD_DIR is rebuilt from the restored
# sources at the end of a complete run. The full log of each patch is in $LOG_DIR (default
# /tmp/faults-run), as NN-name.log, and that of the tree without a fault as baseline.log.
set -euo pipefail
if [[ $# -lt 2 ]]; then
    echo "usage: $0 REPO BUILD_DIR [PATCH...]" >&2
    exit 2
fi
repo=$(realpath "$1") build=$(realpath "$2")
shift 2
[[ $# -gt 0 ]] || set -- "$(dirname "$(realpath "$0")")"/[0-9][0-9]-*.patch
logs=${LOG_DIR:-/tmp/faults-run}
mkdir -p "$logs"
export QT_QPA_PLATFORM=offscreen QTEST_FUNCTION_TIMEOUT=20000
stop() {
    echo "run.sh: $*" >&2
    exit 1
}

# The build must be REPO's: another tree's build would test other sources than those patched.
cache=$build/CMakeCache.txt
[[ -f $cache ]] || stop "$build is not a CMake build folder (no CMakeCache.txt): make it with cmake -S $repo -B $build"
configured=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$cache")
[[ -n $configured && $(realpath "$configured") == "$repo" ]] ||
    stop "$build was configured from ${configured:-an unknown folder}, not from $repo: give the build of $repo"

# Each build and test runs as a job of its own (set -m: its own process group), which an
# interrupt ends at once, with everything it started, before the patch is reverted.
set -m
# Messages go to the run's own standard error (3), also from a trap run while a job's output goes
# to a log.
exec 3>&2
applied="" job=""
run() {
    local status=0
    "$@" &
    job=$!
    wait $job || status=$?
    job=""
    return $status
}
revert() {
    [[ -n $applied ]] || return 0
    git -C "$repo" apply -R "$applied" || echo "run.sh: could not revert $applied in $repo: restore it by hand" >&3
    applied=""
}
cleanup() {
    if [[ -n $job ]]; then
        kill -TERM -- -$job 2>/dev/null || true
        wait $job 2>/dev/null || true
    fi
    revert
}
trap cleanup EXIT
trap 'echo "run.sh: interrupted" >&3; exit 130' INT TERM HUP

# The failures in ctest's output: "test_x::function(row)" for each Qt Test failure, or the
# test's name alone where it failed without one (a crash, a timeout of the whole test, a script).
failures() {
    awk '
        /Test +#[0-9]+: / { for (i = 1; i <= NF; i++) if ($i ~ /^#[0-9]+:$/) test = $(i + 1) }
        /\*\*\*|Failed|Exception|Timeout/ && /Test +#[0-9]+: / { if (!(test in named)) bad[test] = 1 }
        /^FAIL!  : / {
            sub(/^FAIL!  : [A-Za-z0-9_]+::/, ""); sub(/\) .*/, ")"); print test "::" $0; named[test] = 1
        }
        END { for (t in bad) if (!(t in named)) print t }
    ' "$1" | awk '!seen[$0]++' | paste -sd ';' | sed 's/;/, /g'
}
# ctest's count of what it ran, from its closing line: "N tests".
count() {
    sed -n 's/^100% tests passed, 0 tests failed out of \([0-9]*\)$/\1 tests/p' "$1" | tail -n 1
}

# The tree without a fault: it builds, and its tests pass.
log=$logs/baseline.log
untried="Every fault would count as caught, so none was tried"
run cmake --build "$build" --parallel 2 >"$log" 2>&1 ||
    stop "$repo as it stands does not build (see $log). $untried"
run ctest --test-dir "$build" --no-tests=error --output-on-failure >>"$log" 2>&1 ||
    stop "$repo as it stands fails its fast tests (see $log): $(failures "$log"). $untried"
baseline="builds and passes its fast tests ($(count "$log"))"
if [[ ${SLOW:-0} == 1 ]]; then
    run ctest --test-dir "$build" -L 'e2e|package' --no-tests=error --output-on-failure >"$log.slow" 2>&1 ||
        stop "$repo as it stands fails its slow tests (see $log.slow): $(failures "$log.slow"). $untried"
    baseline+=" and its slow ones ($(count "$log.slow"))"
fi
echo "baseline: $repo $baseline"

for patch in "$@"; do
    patch=$(realpath "$patch")
    name=$(basename "$patch" .patch)
    log=$logs/$name.log
    if ! git -C "$repo" apply --check "$patch" 2>"$log"; then
        echo "$name DOES NOT APPLY (see $log)"
        continue
    fi
    git -C "$repo" apply "$patch"
    applied=$patch
    if ! run cmake --build "$build" --parallel 2 >>"$log" 2>&1; then
        echo "$name BUILD FAILED (see $log)"
        revert
        continue
    fi
    run ctest --test-dir "$build" --output-on-failure >>"$log" 2>&1 || true
    caught=$(failures "$log")
    if [[ -z $caught && ${SLOW:-0} == 1 ]]; then
        run ctest --test-dir "$build" -L 'e2e|package' --output-on-failure >"$log.slow" 2>&1 || true
        slow=$(failures "$log.slow")
        revert
        if [[ -n $slow ]]; then
            echo "$name SURVIVED the fast tests; CAUGHT by $slow"
        else
            echo "$name SURVIVED"
        fi
        continue
    fi
    revert
    if [[ -n $caught ]]; then
        echo "$name CAUGHT by $caught"
    else
        echo "$name SURVIVED"
    fi
done
trap - EXIT
cmake --build "$build" --parallel 2 >"$logs/restored.log" 2>&1 ||
    echo "run.sh: the restored sources do not build: see $logs/restored.log" >&2
