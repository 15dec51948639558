#!/usr/bin/env bash
# The README's two commands share one build folder, in either order. After the
# start command's configuration (no tests, no benchmarks), the test command's
# must bring back every suite: the unit, window and end-to-end tests and the
# benchmarks; and the start command's must leave them out of its build again.
# Usage: test_command_test.sh REPOSITORY SCRATCH_FOLDER
set -euo pipefail
root=$1 scratch=$2
source "$root/scripts/build-options.sh"
rm -rf "$scratch"

# Both commands configure with their option lists.
grep -q 'build.sh build "${RUN_OPTIONS\[@\]}"' "$root/scripts/run.sh" || { echo "run.sh does not use RUN_OPTIONS"; exit 1; }
grep -q 'build.sh build "${TEST_OPTIONS\[@\]}"' "$root/scripts/test.sh" || { echo "test.sh does not use TEST_OPTIONS"; exit 1; }

configure() { cmake -S "$root" -B "$scratch" -DCMAKE_BUILD_TYPE=Release "$@" > /dev/null; }
tests_listed() { ctest --test-dir "$scratch" -N | sed -n 's/^Total Tests: //p'; }
targets() { cmake --build "$scratch" --target help > "$scratch/targets.txt"; cat "$scratch/targets.txt"; }

configure "${RUN_OPTIONS[@]}"
[ "$(tests_listed)" = 0 ] || { echo "the start command's build lists tests"; exit 1; }
if targets | grep -q "\.\.\. core_tests$"; then echo "the start command's build has the unit tests"; exit 1; fi

configure "${TEST_OPTIONS[@]}"
listed=$(tests_listed)
available=$(targets)
for target in core_tests gui_tests grovewright_bench grovewright_gui_bench grovewright grovewright-cli; do
  echo "$available" | grep -q "\.\.\. $target\$" || { echo "after the start command, the test command's build lacks $target"; exit 1; }
done
# Before building, ctest lists the tests that are not discovered from the
# unit-test programs: the end-to-end ones, the package's among them.
for test in cli_end_to_end package gui_screenshots engine_levels_of_detail; do
  [ "$(ctest --test-dir "$scratch" -N -R "^$test\$" | sed -n 's/^Total Tests: //p')" = 1 ] || { echo "$test is not listed"; exit 1; }
done

# The start command again builds only the programs.
configure "${RUN_OPTIONS[@]}"
if targets | grep -q "\.\.\. gui_tests$"; then echo "the start command after the test command builds the tests"; exit 1; fi
rm -rf "$scratch"
echo "the test command's configuration lists $listed tests before building, after the start command's"
