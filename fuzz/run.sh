#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) into build-fuzz/ (or $MIRELKA_FUZZ_BUILD) and
# runs them.
#
#   fuzz/run.sh [SECONDS [TARGET...]]
#       Fuzzes each target (default: catalogue and table) for SECONDS
#       (default 60) over a working copy of its corpus in build-fuzz/, which
#       keeps what it finds between runs. Crashes land in build-fuzz/artifacts/.
#   fuzz/run.sh --ci
#       Replays every committed corpus file once, then fuzzes each target
#       briefly (MIRELKA_FUZZ_SECONDS, default 15) from a fresh copy.
#
# Exits non-zero when a target crashes, leaks, trips a sanitizer or breaks
# one of its checks.
set -euo pipefail

FUZZ_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(dirname "$FUZZ_DIR")"
BUILD="${MIRELKA_FUZZ_BUILD:-$ROOT/build-fuzz}"
ALL_TARGETS=(catalogue table)

ci=false
seconds=60
if [ "${1:-}" = "--ci" ]; then
    ci=true
    seconds="${MIRELKA_FUZZ_SECONDS:-15}"
    shift
elif [ $# -gt 0 ]; then
    seconds="$1"
    shift
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${ALL_TARGETS[@]}")

if [ ! -f "$BUILD/build.ninja" ]; then
    cmake -S "$FUZZ_DIR" -B "$BUILD" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
fi
cmake --build "$BUILD"

mkdir -p "$BUILD/artifacts"
# Leaks count as findings; the offscreen Qt platform is never loaded here.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"

for target in "${targets[@]}"; do
    exe="$BUILD/fuzz_$target"
    seeds="$FUZZ_DIR/corpus/$target"
    [ -x "$exe" ] && [ -d "$seeds" ] || { echo "no fuzz target '$target'" >&2; exit 2; }
    common=(-artifact_prefix="$BUILD/artifacts/$target-" -print_final_stats=1)

    if $ci; then
        echo "== $target: replaying $(ls "$seeds" | wc -l) corpus files"
        "$exe" "${common[@]}" -runs=0 "$seeds"
        work="$(mktemp -d)"
        trap 'rm -rf "$work"' EXIT
        cp "$seeds"/* "$work"/
    else
        work="$BUILD/corpus-$target"
        mkdir -p "$work"
        cp -n "$seeds"/* "$work"/
    fi
    echo "== $target: fuzzing for $seconds s"
    "$exe" "${common[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 "$work"
    if $ci; then
        rm -rf "$work"
        trap - EXIT
    fi
done
