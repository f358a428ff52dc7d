#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite headless.
source "$(dirname "$0")/scripts/common.sh"
mirelka_install_packages
mirelka_build
cd "$MIRELKA_BUILD"
ctest --output-on-failure --timeout 600 "$@"
