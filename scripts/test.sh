#!/usr/bin/env bash
# Installs what is missing, builds the 32-bit and the 64-bit plug-in with their
# tests, and runs every test of both builds under Wine.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

velkin_setup
velkin_build
velkin_wine_start

status=0
for arch in "${VELKIN_ARCHS[@]}"; do
  velkin_log "testing $arch"
  ctest --test-dir "$VELKIN_BUILD/$arch" --output-on-failure --timeout 900 || status=1
done
exit $status
