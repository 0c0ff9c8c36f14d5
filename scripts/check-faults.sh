#!/bin/bash
# Injected-fault check: for every line of the fault lists
#   NN | file:line | the fault in words | test regex[, test regex...] [| build targets]
# applies NN-*.patch (beside the list) to the work tree, builds (only the
# given targets when the line names them, else everything), runs the
# named ctest tests and reports whether at least one of them failed
# (caught) or all passed (missed). The tree is reverted after each fault.
#
# usage: check-faults.sh [-C worktree] [-B builddir] [-j N] [LIST.md ...]
#   defaults: the current directory, its build/, -j2, every tests/faults/*/LIST.md
# Exit status: 0 when every fault was caught, 1 otherwise.
set -u
tree=$(pwd)
build=
jobs=2
while getopts "C:B:j:" o; do
    case $o in
    C) tree=$OPTARG ;;
    B) build=$OPTARG ;;
    j) jobs=$OPTARG ;;
    *) echo "usage: $0 [-C worktree] [-B builddir] [-j N] [LIST.md ...]" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
build=${build:-$tree/build}
lists=("$@")
[ ${#lists[@]} -eq 0 ] && lists=("$tree"/tests/faults/*/LIST.md)

cd "$tree" || exit 2
if ! git diff --quiet; then
    echo "the work tree has uncommitted changes: commit or stash them first" >&2
    exit 2
fi

log=$(mktemp -d /tmp/faults-XXXXXX)
caught=0
missed=0
broken=0
for list in "${lists[@]}"; do
    dir=$(dirname "$list")
    while IFS="|" read -r nn where what tests targets <&3; do
        nn=$(echo "$nn" | tr -d ' ')
        [[ "$nn" =~ ^[0-9]+$ ]] || continue
        patch=$(ls "$dir"/"$nn"-*.patch 2>/dev/null | head -1)
        name="$(basename "$dir")/$(basename "${patch:-$nn}" .patch)"
        regex=$(echo "$tests" | sed -e 's/^ *//' -e 's/ *$//' -e 's/ *, */|/g')
        if [ -z "$patch" ] || ! git apply "$patch"; then
            echo "BROKEN  $name: the patch does not apply"
            broken=$((broken + 1))
            continue
        fi
        targets=$(echo "${targets:-}" | sed -e 's/^ *//' -e 's/ *$//' -e 's/ *, */ /g')
        if ! cmake --build "$build" -j"$jobs" ${targets:+--target $targets} >"$log/$nn-build.txt" 2>&1; then
            # A fault that does not even build is caught by the compiler.
            echo "CAUGHT  $name (by the build)"
            caught=$((caught + 1))
        elif ctest --test-dir "$build" -R "$regex" -j"$jobs" --timeout 600 >"$log/$nn-ctest.txt" 2>&1; then
            if grep -q "No tests were found" "$log/$nn-ctest.txt"; then
                echo "BROKEN  $name: no test matches '$regex'"
                broken=$((broken + 1))
            else
                echo "MISSED  $name: every test of '$regex' passed"
                missed=$((missed + 1))
            fi
        else
            failed=$(grep -E '^\s+[0-9]+ - ' "$log/$nn-ctest.txt" | sed -E 's/^\s+[0-9]+ - ([^ ]+).*/\1/' | paste -sd, -)
            echo "CAUGHT  $name by ${failed:-?}"
            caught=$((caught + 1))
        fi
        git apply -R "$patch"
    done 3<"$list"
done
# Leave the build matching the tree again.
cmake --build "$build" -j"$jobs" >"$log/final-build.txt" 2>&1
echo "$caught caught, $missed missed, $broken broken (logs in $log)"
[ $missed -eq 0 ] && [ $broken -eq 0 ]
