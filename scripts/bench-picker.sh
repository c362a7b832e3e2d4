#!/usr/bin/env bash
# Picker benchmark: builds both architectures and times, under Wine on Xvfb,
# the tag picker from PickTag to the dialog shown with 1,000, 10,000 and
# 100,000 rows, against its own time for 1,000 rows, beside bare insertions of
# the same texts into an ordinary list; then the column widths the picker
# chose beside those of measuring every row's text.
#
#   scripts/bench-picker.sh [TAGS_FILE]
#
# Without TAGS_FILE the rows are the tests' tags of small sources in two dozen
# languages (tests/tags/languages/tags-n), over and over; with it, the prefix
# matches of the commonest initial in TAGS_FILE. BENCH_RUNS sets the
# timed rounds, each timing every size in turn (the best is shown; default 5).
# The reports are kept in $VELKIN_BUILD/bench/picker-<arch>.txt.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

runs=${BENCH_RUNS:-5}
if [ $# -gt 0 ]; then
  velkin_bench_prepare "$@"
  rows=()
else
  velkin_bench_prepare "$VELKIN_ROOT/tests/tags/languages/tags-n"
  rows=(--mixed)
fi
tags=$BENCH_TAGS report_dir=$BENCH_REPORTS

for arch in "${VELKIN_ARCHS[@]}"; do
  velkin_log "picker benchmark, $arch build"
  wine "$VELKIN_BUILD/$arch/bin/picker_benchmark.exe" --runs "$runs" "${rows[@]}" "Z:$tags" | tr -d '\r' \
    | tee "$report_dir/picker-$arch.txt"
done
