#!/usr/bin/env bash
# Installs what is missing, builds, and starts Mirelka online from the build folder.
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"
mirelka_install_packages
# The tests and the benchmarks are left out: they need tools a user doesn't.
mirelka_build -DBUILD_TESTING=OFF -DMIRELKA_BENCHMARKS=OFF
exec "$MIRELKA_BUILD/bin/mirelka" "$@"
