#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer (the "sanitize" preset, Debug, build-sanitize/)
# and runs the unit and engine tests in that build (the fuzz test
# has a sanitized build of its own). Extra arguments go to ctest.
set -euo pipefail
source "$(dirname "$0")/common.sh"
mirelka_install_packages "${MIRELKA_TEST_PACKAGES[@]}"

SANITIZE_BUILD="$MIRELKA_ROOT/build-sanitize"
cmake --preset sanitize -S "$MIRELKA_ROOT" >/dev/null
cmake --build "$SANITIZE_BUILD" --parallel "$(nproc)"

# Any report fails the test that caused it. Leaks are checked too, except
# those the suppression file names: memory that libraries outside the program
# keep for the life of the process. Those libraries have no frame pointers, so
# only the slow unwinder sees the frames the suppressions match.
# new_delete_type_mismatch: Chromium inside the system's Qt WebEngine frees
# some of its objects with a size other than the one they were made with
# (reported only from libQt6WebEngineCore); the check is off for that reason.
export ASAN_OPTIONS="new_delete_type_mismatch=0:detect_leaks=1:fast_unwind_on_malloc=0:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$MIRELKA_ROOT/tests/sanitizer/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

cd "$SANITIZE_BUILD"
ctest --output-on-failure -L "unit|engine" "$@"
