#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each one after the other.
#   tests/fuzz/run.sh [seconds per target, default 60] [target ...]
# BUILD_DIR (default <repo>/build-fuzz) holds the build, the growing corpora
# (the committed seeds in corpus/ stay as they are) and any crash inputs.
# A crash input belongs in regressions/<target>/ once its fault is fixed.
# TIMEOUT (default 10) is the seconds one input may take; raise it on a busy
# machine, where a slow input is no fault.
set -euo pipefail

seconds="${1:-60}"
timeout="${TIMEOUT:-10}"
shift || true
here="$(cd "$(dirname "$0")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
build="${BUILD_DIR:-$repo/build-fuzz}"
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(appointment_file list_files dates converter_output vcard)

CXX=clang++ cmake -S "$repo" -B "$build" -G Ninja -DTMF_FUZZ=ON -DTMF_WITH_QT=OFF \
    -DTMF_BUILD_TESTS=OFF -DTMF_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 2 --target $(printf 'fuzz_%s ' "${targets[@]}")

# The targets' scratch files, in memory where possible; gone after the run
# even when a target crashed.
shm=/dev/shm
[ -d "$shm" ] || shm="${TMPDIR:-/tmp}"
export TMF_FUZZ_SCRATCH="$(mktemp -d "$shm/tmf-fuzz-run.XXXXXX")"
trap 'rm -rf "$TMF_FUZZ_SCRATCH"' EXIT

declare -A max_len=([appointment_file]=4656 [list_files]=8192 [dates]=1024 [converter_output]=8192 [vcard]=8192)
status=0
for t in "${targets[@]}"; do
    work="$build/corpus/$t"
    artifacts="$build/artifacts/$t/"
    mkdir -p "$work" "$artifacts"
    echo "== fuzz_$t for ${seconds}s"
    if ! "$build/fuzz/fuzz_$t" "$work" "$here/corpus/$t" "$here/regressions/$t" \
        -max_total_time="$seconds" -max_len="${max_len[$t]}" -timeout="$timeout" -rss_limit_mb=2048 \
        -artifact_prefix="$artifacts" -print_final_stats=1 2>"$build/fuzz_$t.log"; then
        status=1
        echo "   fuzz_$t FAILED; see $build/fuzz_$t.log and $artifacts"
    fi
    grep -E "^stat::(number_of_executed_units|peak_rss_mb|new_units_added)|^#[0-9]+ +DONE" "$build/fuzz_$t.log" || true
    tail -n 1 "$build/fuzz_$t.log" | sed 's/^/   /'
done
exit $status
