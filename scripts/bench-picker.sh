#!/usr/bin/env bash
# Picker benchmark: builds both architectures and times, under Wine on Xvfb,
# the tag picker from PickTag to the dialog shown with 1,000, 10,000 and
# 100,000 rows, against its own time for 1,000 rows, beside bare insertions of
# the same texts into an ordinary list.
#
#   scripts/bench-picker.sh [TAGS_FILE]
#
# Without TAGS_FILE it uses the scanner benchmark's generated tags file
# ($VELKIN_BUILD/bench/generated.tags, written once). BENCH_RUNS sets the
# timed rounds, each timing every size in turn (the best is shown; default 5).
# The reports are kept in $VELKIN_BUILD/bench/picker-<arch>.txt.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

runs=${BENCH_RUNS:-5}
velkin_bench_prepare "$@"
tags=$BENCH_TAGS report_dir=$BENCH_REPORTS

for arch in "${VELKIN_ARCHS[@]}"; do
  velkin_log "picker benchmark, $arch build"
  wine "$VELKIN_BUILD/$arch/bin/picker_benchmark.exe" --runs "$runs" "Z:$tags" | tr -d '\r' \
    | tee "$report_dir/picker-$arch.txt"
done
