#!/usr/bin/env bash
# scripts/test.sh: the whole test suite, as CI runs it. Expects the packages of README.md.
#   1. a normal build with warnings as errors, and every test;
#   2. a build with AddressSanitizer and UndefinedBehaviorSanitizer, and every test;
#   3. when clang and fuzz/fuzz_pipeline.cpp are there, a libFuzzer build and a bounded
#      fuzz run (about 60 s) of every phase, seeded with the example and golden scripts,
#      then 20 s of the readers of vexinstr and vexreport.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${VEX_JOBS:-2}
fuzz_seconds=${VEX_FUZZ_SECONDS:-60}

step() { echo; echo "== $*"; }

# Runs ctest in build directory $1 (further arguments go to ctest) and adds its counts
# to the totals printed at the end.
total_passed=0
total_failed=0
run_ctest() {
    local dir=$1
    shift
    local log="$dir/ctest-output.log"
    local status=0
    (cd "$dir" && ctest "$@") 2>&1 | tee "$log" || status=$?
    local line
    line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
    if [ -z "$line" ]; then
        echo "ctest in $dir printed no result" >&2
        exit 1
    fi
    local failed out_of
    failed=$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
    out_of=$(echo "$line" | sed -E 's/.* failed out of ([0-9]+).*/\1/')
    total_failed=$((total_failed + failed))
    total_passed=$((total_passed + out_of - failed))
    if [ "$status" -ne 0 ] || [ "$failed" -ne 0 ]; then
        echo "$total_passed passed, $total_failed failed"
        exit 1
    fi
}

step "build with -DVEX_WERROR=ON"
cmake -S "$root" -B "$root/build-ci" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEX_WERROR=ON
cmake --build "$root/build-ci" -j"$jobs"
step "tests"
run_ctest "$root/build-ci" -j"$jobs" --output-on-failure --timeout 300

step "build with -DVEX_SANITIZE=ON"
cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVEX_SANITIZE=ON \
      -DVEX_BENCH=OFF
cmake --build "$root/build-asan" -j"$jobs"
step "tests under the sanitizers"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_ctest "$root/build-asan" -j"$jobs" --output-on-failure --timeout 600

if command -v clang++ >/dev/null && [ -f "$root/fuzz/fuzz_pipeline.cpp" ]; then
    step "libFuzzer build"
    CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVEX_FUZZ=ON -DVEX_SANITIZE=ON -DVEX_TESTS=OFF \
        -DVEX_BENCH=OFF
    cmake --build "$root/build-fuzz" -j"$jobs" --target fuzz_pipeline fuzz_readers
    step "fuzz for ${fuzz_seconds} s"
    corpus="$root/fuzz/corpus-run"
    rm -rf "$corpus"
    mkdir -p "$corpus"
    # The target reads its first byte as the script kind (1: contract checks) and the
    # rest as the script.
    for f in "$root"/examples/*.otd "$root"/examples/*.stb "$root"/examples/*.otc \
             "$root"/tests/golden/*/*.otd; do
        case $f in *.otc) kind='\001' ;; *) kind='\000' ;; esac
        { printf "$kind"; cat "$f"; } > "$corpus/$(basename "$(dirname "$f")")-$(basename "$f")"
    done
    (cd "$root/build-fuzz" &&
        ./fuzz_pipeline -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=4096 \
            -print_final_stats=1 "$corpus")
    step "fuzz the instrumentation, dynamic and listing file readers for $((fuzz_seconds / 3)) s"
    readers="$root/fuzz/corpus-readers"
    rm -rf "$readers"
    mkdir -p "$readers"
    # First byte: 0 an instrumentation file, 1 events after a valid header, 2 a whole
    # dynamic file, 3 a listing.
    for f in "$root"/tests/golden/*/expected.oti; do
        { printf '\000'; cat "$f"; } > "$readers/$(basename "$(dirname "$f")").oti"
    done
    printf '\001EC 2 0 1 0\nET 3 0 2 0\nCK 1 4 0\nCK 0 4 0\nPS 4 0\nPV x\t1\nPE\nXT 3 0\nXC 2 0\nEND 1\n' \
        > "$readers/events"
    printf '\002VEXTRACE 1\nFILE 0 1 2\nEC 2 0 1 0\n' > "$readers/trace"
    printf '\003OF "/tmp/" "suite.otd" 0h\n\nTL 2h "A" line=1 dad=1h;\n\nCK 1h 2h\n' \
        > "$readers/listing"
    (cd "$root/build-fuzz" &&
        ./fuzz_readers -max_total_time="$((fuzz_seconds / 3))" -timeout=10 -rss_limit_mb=4096 \
            -print_final_stats=1 "$readers")
else
    step "fuzzing skipped (needs clang++ and fuzz/fuzz_pipeline.cpp)"
fi
step "all tests passed (both builds; skipped tests count as passed)"
echo "$total_passed passed, $total_failed failed"
