#!/usr/bin/env bash
# Sets up, builds and runs every test: the Windows program cross-built with mingw-w64, a normal
# build (whose tests include the Windows program's under Wine, label wine), then an
# address+undefined sanitizer build of the same tests but the source checks, a thread sanitizer
# build of the tests that start threads (label threads), then the picture file fuzzer.
#
# The normal build's tests wait on X, Wine, Chromium and apt much of the time, so the sanitizer
# builds and the fuzzer's build compile beside them, one after another, their output in
# BUILD/build.log; the thread sanitizer's few tests likewise run beside the address sanitizer's.
# Each stage prints one line, "stage: NAME wall M:SS cpu M:SS" (processor time is user + system
# of all it ran), and the end repeats them all with the total.
#
#   BRELVOXAN_TSAN_TESTS_PREFIX   words put before the thread sanitizer stage's ctest, such as
#                                 "taskset -c 1" to run those tests on one core
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
# Many tests wait on a program, an X server or a browser rather than compute: twice as many run
# at once as there are processors.
test_jobs=$((2 * jobs))
summary=()
total_start=$(date +%s.%N)

# cpu_now: processor seconds of this shell's waited-for children so far, from bash's `times`
# (second line) run by this shell itself: in a $(...) it would count a subshell's children.
times_file=$(mktemp)
trap 'rm -f "$times_file"' EXIT
take_cpu() {
  times >"$times_file"
  cpu_now=$(awk 'NR == 2 {
    t = 0
    for (i = 1; i <= 2; i++) { split($i, p, /[ms]/); t += 60 * p[1] + p[2] }
    printf "%.1f", t
  }' "$times_file")
}
clock() { awk -v s="$1" 'BEGIN { printf "%d:%02d", int(s / 60), int(s % 60) }'; }

# stage NAME COMMAND...: runs the command, prints its line and keeps it for the summary; a failed
# stage says so and ends the run.
stage() {
  local name=$1 start cpu status=0 wall used line
  shift
  start=$(date +%s.%N)
  take_cpu
  cpu=$cpu_now
  "$@" || status=$?
  wall=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
  take_cpu
  used=$(awk -v a="$cpu" -v b="$cpu_now" 'BEGIN { print b - a }')
  line=$(printf 'stage: %-22s wall %6s  cpu %6s' "$name" "$(clock "$wall")" "$(clock "$used")")
  ((status == 0)) || line="$line  FAILED (status $status)"
  echo "$line"
  summary+=("$line")
  if ((status != 0)); then
    print_summary
    exit "$status"
  fi
}
print_summary() {
  local wall
  wall=$(awk -v a="$total_start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
  echo "---- where the time went ----"
  printf '%s\n' "${summary[@]}"
  take_cpu
  printf 'total: wall %s  cpu %s\n' "$(clock "$wall")" "$(clock "$cpu_now")"
}

# configure DIR CMAKE_ARGS...
configure() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DBRELVOXAN_WERROR=ON -DBUILD_TESTING=ON "$@" >/dev/null
}
# build DIR [TARGET...]: a tree's build (all of it, or the targets), its output in DIR/build.log
# and the end of it on failure.
build() {
  local dir=$1
  shift
  if ! cmake --build "$dir" -j "$jobs" ${1:+--target "$@"} >"$dir/build.log" 2>&1; then
    tail -n 40 "$dir/build.log"
    echo "the build in $dir failed; its output is in $dir/build.log"
    return 1
  fi
}
# tests DIR [CTEST ARG...]: the tree's tests, after the words of $test_prefix if it is set.
tests() {
  local dir=$1
  shift
  # Label matches (whole matches of level 5, many minutes) is run by hand after an engine change.
  # shellcheck disable=SC2086  # words of a command
  ${test_prefix:-} ctest --test-dir "$dir" --output-on-failure -j "$test_jobs" --timeout 600 \
    -LE matches "$@"
}

# The sanitizer builds keep only the debugging information that reports need (functions, files
# and lines: -g1), which compiles faster.
asan_args=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1
  -DBRELVOXAN_SANITIZE=address,undefined -DBRELVOXAN_BUILD_BENCH=OFF)
tsan_args=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DBRELVOXAN_SANITIZE=thread
  -DBRELVOXAN_BUILD_BENCH=OFF)
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" TSAN_OPTIONS="halt_on_error=1"

# The builds that run beside the normal tests, each as a stage of a shell of its own whose lines
# come back through a file.
beside_builds() {
  stage "address build" eval 'configure build-asan "${asan_args[@]}" && build build-asan'
  stage "thread build" eval 'configure build-tsan "${tsan_args[@]}" && build build-tsan \
    brelvoxan_threads'
  stage "fuzzer build" bash fuzz/run.sh build-fuzz --build-only
}

stage "set-up" bash tools/setup.sh
stage "Windows build" bash tools/build-win32.sh --werror
# The normal build is configured as the Debian package is (optimised, for /usr), so that the
# package test packages the very programs the tests ran instead of compiling them again.
stage "normal build" eval 'configure build -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DBRELVOXAN_BUILD_BENCH=ON -DBRELVOXAN_WIN32_BUILD="$PWD/build-win32" && build build'
# beside LOG FUNCTION: runs the function's stages in a shell of its own, in the background and in
# a process group of its own (so that a failed run ends it too), its output in LOG and its stage
# lines in LOG.stages; beside_pid is that shell.
beside() {
  local log=$1
  set -m
  (
    summary=()
    times_file=$(mktemp)
    trap 'printf "%s\n" "${summary[@]}" >"$log.stages"; rm -f "$times_file"' EXIT
    "$2" >"$log" 2>&1
  ) &
  beside_pid=$!
  set +m
  trap 'rm -f "$times_file"; kill -- -"$beside_pid" 2>/dev/null' EXIT
}
# joined LOG WHOLE: waits for the shell of beside, keeps its stage lines for the summary and
# prints them (after its whole output when WHOLE is 1); when it failed, the end of its output and
# the summary, and the run ends.
joined() {
  local log=$1 status=0
  wait "$beside_pid" || status=$?
  trap 'rm -f "$times_file"' EXIT
  # The whole output holds the stage lines already.
  if (($2 == 1)); then cat "$log"; else cat "$log.stages" 2>/dev/null || true; fi
  mapfile -t -O "${#summary[@]}" summary <"$log.stages" 2>/dev/null || true
  if ((status != 0)); then
    (($2 == 1)) || tail -n 40 "$log"
    print_summary
    exit 1
  fi
}

mkdir -p build-asan build-tsan
beside build-asan/beside.log beside_builds
stage "normal tests" tests build
joined build-asan/beside.log 0
# The thread sanitizer can only find a race where two threads run: label threads, the cases and
# programs that start threads of their own (tests/thread_cases.txt, the solver's second thread
# and the SDL program). Its few tests run beside the address sanitizer's, and print after them.
thread_tests() {
  test_prefix=${BRELVOXAN_TSAN_TESTS_PREFIX:-} stage "thread tests" tests build-tsan -L threads
}
beside build-tsan/tests.log thread_tests
stage "address tests" tests build-asan
joined build-tsan/tests.log 1
stage "fuzzing" bash fuzz/run.sh build-fuzz
print_summary
