#!/usr/bin/env bash
# Builds one architecture and runs its tests, or some of them:
#   scripts/ctest.sh i686 [ctest arguments, e.g. -R text_tests]
# Set VELKIN_BUILD to use another build folder (each has its own Wine prefix).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

arch=${1:?usage: ctest.sh i686|x86_64 [ctest arguments]}
shift
velkin_build_arch "$arch"
velkin_wine_start
ctest --test-dir "$VELKIN_BUILD/$arch" --output-on-failure "$@"
