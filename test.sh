#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless.
# Arguments go to both CTest runs (for example -R unit/ or -L engine).
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"
mirelka_install_packages "${MIRELKA_TEST_PACKAGES[@]}"
mirelka_build -DBUILD_TESTING=ON
cd "$MIRELKA_BUILD"
status=0
ctest --output-on-failure "$@" || status=$?
# The tests once more, built with AddressSanitizer and UndefinedBehaviorSanitizer.
"$MIRELKA_ROOT/scripts/sanitize.sh" "$@" || status=$?
exit $status
