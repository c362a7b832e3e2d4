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
# languages (tests/tags/languages/tags-n), over and over, first with their
# names numbered, then named pkrow000000 on (names of one length); with it,
# the prefix matches of the commonest initial in TAGS_FILE. BENCH_RUNS sets
# the timed rounds, each timing every size in turn (the best is shown;
# default 5). The reports are kept in $VELKIN_BUILD/bench/picker-<arch>.txt
# (and picker-one-length-<arch>.txt).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

runs=${BENCH_RUNS:-5}
if [ $# -gt 0 ]; then
  velkin_bench_prepare "$@"
  modes=(prefix)
else
  velkin_bench_prepare "$VELKIN_ROOT/tests/tags/languages/tags-n"
  modes=(mixed one-length)
fi
tags=$BENCH_TAGS report_dir=$BENCH_REPORTS

for arch in "${VELKIN_ARCHS[@]}"; do
  for mode in "${modes[@]}"; do
    velkin_log "picker benchmark, $arch build, $mode rows"
    case $mode in
      prefix) rows=() report=picker-$arch.txt ;;
      mixed) rows=(--mixed) report=picker-$arch.txt ;;
      one-length) rows=(--one-length) report=picker-one-length-$arch.txt ;;
    esac
    wine "$VELKIN_BUILD/$arch/bin/picker_benchmark.exe" --runs "$runs" "${rows[@]}" "Z:$tags" | tr -d '\r' \
      | tee "$report_dir/$report"
  done
done
