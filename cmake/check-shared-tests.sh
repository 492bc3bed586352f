#!/usr/bin/env bash
# check-shared-tests.sh <program> <filter>...: the program is shared by several CTest tests,
# each running the cases its GoogleTest filter selects. Fails unless every case the program
# holds is selected by exactly one filter (a case no filter selects would never run; one two
# filters select would run twice) and every filter selects a case.
set -uo pipefail
program="$1"
shift
if ! listing=$("$program" --gtest_list_tests); then
    echo "check-shared-tests: $program --gtest_list_tests failed" >&2
    exit 1
fi
suite=""
cases=0
bad=0
declare -a selected
for ((i = 0; i < $#; i++)); do
    selected[i]=0
done
while IFS= read -r line; do
    line="${line%%#*}"
    line="${line%"${line##*[![:space:]]}"}"
    [ -n "$line" ] || continue
    if [ "${line:0:1}" != " " ]; then
        suite="$line"
        continue
    fi
    name="$suite${line##* }"
    cases=$((cases + 1))
    hits=0
    index=0
    for filter in "$@"; do
        IFS=: read -ra patterns <<<"$filter"
        for pattern in "${patterns[@]}"; do
            # shellcheck disable=SC2053 # the pattern is a glob, as GoogleTest's filters are
            if [[ "$name" == $pattern ]]; then
                hits=$((hits + 1))
                selected[index]=$((selected[index] + 1))
                break
            fi
        done
        index=$((index + 1))
    done
    if [ "$hits" -ne 1 ]; then
        echo "check-shared-tests: $name is run by $hits of the tests sharing $program" >&2
        bad=$((bad + 1))
    fi
done <<<"$listing"
if [ "$cases" -eq 0 ]; then
    echo "check-shared-tests: $program lists no case" >&2
    exit 1
fi
index=0
for filter in "$@"; do
    if [ "${selected[index]}" -eq 0 ]; then
        echo "check-shared-tests: no case of $program matches $filter" >&2
        bad=$((bad + 1))
    fi
    index=$((index + 1))
done
echo "check-shared-tests: $cases cases of $program, $bad faults"
[ "$bad" -eq 0 ]
