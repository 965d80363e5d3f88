#!/usr/bin/env bash
# The one test command: installs what is missing, configures, builds and runs
# the tests. Exits non-zero on any failure.
#
#   scripts/test.sh           every build: Linux x86-64 (all tests, and again
#                             with ASan/UBSan), then Linux i386 (qemu),
#                             Windows x64 and x86 (Wine), which run the suites
#                             labelled portable; then packages dist/
#   scripts/test.sh --quick   Linux x86-64 only, without the cross toolchains
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
case "${1:-}" in
    --quick) quick=1 ;;
    "") ;;
    *) echo "usage: $0 [--quick]" >&2; exit 2 ;;
esac

timings=()
timed() {
    local name=$1 start=$SECONDS
    shift
    "$@"
    timings+=("$(printf '%-22s %4d s' "$name" $((SECONDS - start)))")
}

report() {
    echo "== times"
    printf '   %s\n' "${timings[@]}"
}
trap report EXIT

run_preset() {
    local preset=$1
    echo "== $preset"
    timed "$preset configure" cmake --preset "$preset" >/dev/null
    timed "$preset build" cmake --build --preset "$preset"
    timed "$preset test" ctest --preset "$preset" -j2
}

if [ "$quick" -eq 1 ]; then
    timed deps scripts/deps.sh --native
else
    timed deps scripts/deps.sh
fi

run_preset linux-x64
run_preset linux-x64-asan
# The plugMain fuzz test (60 s), where clang with libFuzzer is at hand.
if echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' |
    clang++ -x c++ -fsanitize=fuzzer - -o /dev/null >/dev/null 2>&1; then
    run_preset linux-x64-fuzz
else
    echo "== linux-x64-fuzz skipped: no clang with libFuzzer"
fi
if [ "$quick" -eq 0 ]; then
    run_preset linux-x86
    run_preset windows-x64
    run_preset windows-x86
    timed package scripts/package.sh
fi
