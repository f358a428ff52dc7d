#!/usr/bin/env bash
# Installs what is missing, builds, and starts Mirelka online from the build folder.
source "$(dirname "$0")/scripts/common.sh"
mirelka_install_packages
# The tests are left out: they need tools a user doesn't.
mirelka_build -DBUILD_TESTING=OFF
exec "$MIRELKA_BUILD/bin/mirelka" "$@"
