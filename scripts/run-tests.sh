#!/usr/bin/env bash
# What `make test` runs once the checked build is made: the native tests (ctest) and the
# browser build with its checks (scripts/test-web.sh) side by side, since the browser
# build links on one core and its checks mostly wait on pages. ctest's report is kept in
# the build folder and shown when both are done; the status fails when either failed.
#   run-tests.sh ASAN_DIR WEB_DIR
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
asan=$(realpath "$1")
web=$2
jobs=${JOBS:-$(nproc)}
log=$asan/ctest.log

# ctest yields to the browser build (nice 10, scripts/build-web.sh) and to the browser
# checks, so that the build is done early and the checks, which mostly wait on pages, run
# while ctest takes what the cores have left.
(cd "$asan" && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  nice -n 19 ctest --output-on-failure -j "$jobs") > "$log" 2>&1 &
ctest_pid=$!

echo "== browser build and checks (the native tests run beside them: $log)"
JOBS=$jobs bash "$here/scripts/test-web.sh" "$asan/apps/corvida" "$web"
web_status=$?
wait "$ctest_pid"
ctest_status=$?

echo "== native tests (ctest)"
cat "$log"
[ "$web_status" -eq 0 ] || echo "the browser checks failed (status $web_status)" >&2
[ "$ctest_status" -eq 0 ] || echo "the native tests failed (status $ctest_status)" >&2
[ "$web_status" -eq 0 ] && [ "$ctest_status" -eq 0 ]
