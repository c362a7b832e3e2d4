#!/usr/bin/env bash
# Installs what is missing, builds both DLLs and runs the demo: the real
# Velkin.dll loaded into the simulated editor.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

velkin_setup
velkin_build
velkin_wine_start

for arch in "${VELKIN_ARCHS[@]}"; do
  velkin_log "demo, $arch build"
  wine "$VELKIN_BUILD/$arch/bin/velkin_demo.exe"
done
