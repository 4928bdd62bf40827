#!/bin/bash
# Builds everything and runs every test layer: native unit tests (ASan/UBSan), the unit and
# Windows tests under Wine, the fuzz targets, the end-to-end tests and two builds of the release
# that must be the same bytes. The last line is "N passed, N failed".
set -u
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT" || exit 1
OUT="$ROOT/build/test-results"
rm -rf "$OUT"
mkdir -p "$OUT"

LAYERS=()
TOTAL_PASS=0
TOTAL_FAIL=0

say() { echo "[test] $*"; }

# record <layer> <passed> <failed> [note]
record() {
    LAYERS+=("$(printf '%-34s %4d passed, %4d failed%s' "$1" "$2" "$3" "${4:+  ($4)}")")
    TOTAL_PASS=$((TOTAL_PASS + $2))
    TOTAL_FAIL=$((TOTAL_FAIL + $3))
}

show_log() { say "last lines of $1:"; tail -n 30 "$1" | sed 's/^/    /'; }

# run_gtest <layer> <xml> <log> <command...>: runs a GoogleTest program and counts its cases.
run_gtest() {
    local layer="$1" xml="$2" log="$3"
    shift 3
    say "running $layer"
    timeout 600 "$@" >"$log" 2>&1
    local rc=$?
    local counts
    if counts="$(python3 scripts/count_results.py "$xml")"; then
        set -- $counts
        local note=""
        if [ "$rc" -ne 0 ] && [ "$2" -eq 0 ]; then
            # All cases passed, yet the program failed (a sanitizer at exit, a crash in teardown).
            note="exit code $rc"
            record "$layer" "$1" 1 "$note"
            show_log "$log"
        else
            record "$layer" "$1" "$2"
            [ "$2" -eq 0 ] || grep -E '^\[  FAILED  \]' "$log" | sort -u | sed 's/^/    /'
        fi
    else
        record "$layer" 0 1 "did not finish, exit code $rc"
        show_log "$log"
    fi
}

# built <target>: after a partly failed build, builds that one target again; true when it builds,
# so a stale program from an earlier build is never tested.
WIN_BUILD_OK=0
built() {
    [ "$WIN_BUILD_OK" -eq 1 ] && return 0
    cmake --build --preset windows -j 2 --target "$1" >>"$OUT/windows-build-$1.log" 2>&1
}

say "checking packages"
if ! bash scripts/deps.sh; then
    record "packages" 0 1 "scripts/deps.sh failed"
fi

# ---- native ----
say "building the native preset (keyra_unit_tests, ASan/UBSan)"
if cmake --preset native >"$OUT/native-configure.log" 2>&1 &&
    cmake --build --preset native -j 2 --target keyra_unit_tests >"$OUT/native-build.log" 2>&1; then
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=0" UBSAN_OPTIONS="print_stacktrace=1" \
        run_gtest "native unit tests (ASan/UBSan)" "$OUT/native-unit.xml" "$OUT/native-unit.log" \
        build/native/keyra_unit_tests --gtest_output="xml:$OUT/native-unit.xml"
else
    record "native unit tests (ASan/UBSan)" 0 1 "build failed"
    show_log "$OUT/native-build.log"
    [ -s "$OUT/native-build.log" ] || show_log "$OUT/native-configure.log"
fi

# ---- fuzzing ----
# Each target of tests/fuzz/ runs for a bounded time from its corpus (seeds and kept findings);
# a target passes when it ends without a crash, leak or timeout.
FUZZ_SECONDS="${KEYRA_FUZZ_SECONDS:-12}"
fuzz_targets=()
for src in tests/fuzz/fuzz_*.cpp; do
    name="$(basename "$src" .cpp)"
    fuzz_targets+=("${name#fuzz_}")
done
if ! command -v clang++ >/dev/null 2>&1; then
    for t in "${fuzz_targets[@]}"; do record "fuzz $t" 0 1 "clang++ not found"; done
elif ! { cmake --preset fuzz >"$OUT/fuzz-configure.log" 2>&1 &&
    cmake --build --preset fuzz -j 2 >"$OUT/fuzz-build.log" 2>&1; }; then
    for t in "${fuzz_targets[@]}"; do record "fuzz $t" 0 1 "build failed"; done
    show_log "$OUT/fuzz-build.log"
else
    for t in "${fuzz_targets[@]}"; do
        say "fuzzing $t for ${FUZZ_SECONDS}s"
        work="$OUT/fuzz-$t"
        mkdir -p "$work" "tests/fuzz/corpus/$t"
        # New inputs go to the scratch folder; the repository's corpus is only read.
        ( cd "$work" && timeout $((FUZZ_SECONDS + 60)) "$ROOT/build/fuzz/fuzz_$t" "$work" "$ROOT/tests/fuzz/corpus/$t" \
            -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 ) \
            >"$OUT/fuzz-$t.log" 2>&1
        rc=$?
        execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$OUT/fuzz-$t.log")"
        if [ "$rc" -eq 0 ]; then
            record "fuzz $t" 1 0 "${execs:-?} runs"
        else
            record "fuzz $t" 0 1 "exit code $rc, finding in $work"
            show_log "$OUT/fuzz-$t.log"
        fi
    done
fi

# ---- windows ----
WIN=build/windows
say "building the windows preset (all targets)"
win_ok=1
if ! cmake --preset windows >"$OUT/windows-configure.log" 2>&1; then
    record "windows build" 0 1 "configure failed"
    show_log "$OUT/windows-configure.log"
    win_ok=0
elif cmake --build --preset windows -j 2 -- -k 0 >"$OUT/windows-build.log" 2>&1; then
    WIN_BUILD_OK=1
else
    record "windows build" 0 1 "some targets failed to build"
    grep -E 'FAILED:|error:' "$OUT/windows-build.log" | head -n 20 | sed 's/^/    /'
fi

if [ "$win_ok" -eq 1 ]; then
    # Every DLL keyra.exe imports must be a KnownDLL: any other is taken from its own folder first.
    say "checking the import table of keyra.exe"
    if ! built keyra; then
        record "imports of keyra.exe (KnownDLLs)" 0 1 "keyra.exe was not built"
    elif bash scripts/check-imports.sh "$WIN/keyra.exe" >"$OUT/imports.log" 2>&1; then
        record "imports of keyra.exe (KnownDLLs)" 1 0
    else
        record "imports of keyra.exe (KnownDLLs)" 0 1
        show_log "$OUT/imports.log"
    fi

    say "preparing Wine"
    # shellcheck source=wine-env.sh
    if . scripts/wine-env.sh 2>"$OUT/wine-env.log"; then
        cat "$OUT/wine-env.log"
        winout="$(winepath -w "$OUT" 2>/dev/null)"
        for t in keyra_unit_tests keyra_win_tests; do
            case $t in
                keyra_unit_tests) layer="unit tests under wine" ;;
                *) layer="windows tests under wine" ;;
            esac
            if built "$t"; then
                run_gtest "$layer" "$OUT/$t-wine.xml" "$OUT/$t-wine.log" \
                    wine "$WIN/$t.exe" "--gtest_output=xml:$winout\\$t-wine.xml"
            else
                record "$layer" 0 1 "$t.exe was not built"
            fi
        done
        # keyra and every helper program the end-to-end tests start (one per tests/e2e/tools/*.cpp).
        e2e_ok=1
        e2e_missing=""
        for t in keyra kplanted $(for f in tests/e2e/tools/*.cpp; do basename "$f" .cpp; done); do
            if ! built "$t"; then
                e2e_ok=0
                e2e_missing="$e2e_missing $t.exe"
            fi
        done
        if [ "$e2e_ok" -eq 1 ]; then
            say "packing the release ZIP"
            rm -f "$WIN"/keyra-*.zip "$WIN/SHA256SUMS"
            cmake --build --preset windows -j 2 --target keyra_zip >"$OUT/package.log" 2>&1 || show_log "$OUT/package.log"
            say "running end-to-end tests"
            timeout 1200 python3 tests/e2e/harness.py --exe "$WIN/keyra.exe" --kprobe "$WIN/kprobe.exe" \
                --results "$OUT/e2e.json" 2>&1 | tee "$OUT/e2e.log" | sed 's/^/    /'
            if counts="$(python3 scripts/count_results.py "$OUT/e2e.json")"; then
                set -- $counts
                record "end-to-end tests under wine" "$1" "$2"
            else
                record "end-to-end tests under wine" 0 1 "did not finish"
            fi
        else
            record "end-to-end tests under wine" 0 1 "not built:$e2e_missing"
        fi
    else
        cat "$OUT/wine-env.log"
        record "wine layers" 0 1 "Wine environment could not be prepared"
    fi
    keyra_wine_cleanup 2>/dev/null || true
    trap - EXIT
fi

# ---- reproducible release ----
# Two clean clones of the commit, built one after the other in folders of different lengths,
# must give the same keyra.exe, keyra.chm, ZIP and SHA256SUMS (about a minute and a half).
say "building the commit twice to compare the bytes"
if timeout 1200 bash scripts/check-reproducible.sh >"$OUT/reproducible.log" 2>&1; then
    record "reproducible release (2 builds)" 1 0 "$(tail -n 1 "$OUT/reproducible.log" | grep -o 'ZIP [0-9a-f]\{12\}')"
else
    record "reproducible release (2 builds)" 0 1
    show_log "$OUT/reproducible.log"
fi

echo
echo "== summary =="
for l in "${LAYERS[@]}"; do echo "  $l"; done
echo "$TOTAL_PASS passed, $TOTAL_FAIL failed"
[ "$TOTAL_FAIL" -eq 0 ]
