#!/usr/bin/env bash
# The one test command: installs what is missing, configures, builds and runs
# every test. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

run_preset() {
    local preset=$1
    echo "== $preset"
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    ctest --preset "$preset" -j2
}

run_preset linux-x64
run_preset linux-x64-asan
# The plugMain fuzz test (60 s), where clang with libFuzzer is at hand.
if echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' |
    clang++ -x c++ -fsanitize=fuzzer - -o /dev/null >/dev/null 2>&1; then
    run_preset linux-x64-fuzz
else
    echo "== linux-x64-fuzz skipped: no clang with libFuzzer"
fi
