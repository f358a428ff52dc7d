#!/usr/bin/env bash
# Installs what is missing, builds, and starts Mirelka online from the build folder.
source "$(dirname "$0")/scripts/common.sh"
mirelka_install_packages
mirelka_build
exec "$MIRELKA_BUILD/bin/mirelka" "$@"
