#!/usr/bin/env bash
# Scanner benchmark: builds both architectures, times the whole ScanTagsFile
# of each under Wine beside two line-feed counts of the same file in the same
# run (over a freshly mapped view and over one already touched), then for a
# row of current-document names the scan and the whole command (Velkin.dll in
# the simulated editor, OnCommand to the status after the scan) beside the
# fresh count, then times universal-ctags' readtags filtering the same file
# natively.
#
#   scripts/bench.sh [TAGS_FILE]
#
# Without TAGS_FILE it uses a generated tags file of 1,000,000 tags (164 MB),
# written once to $VELKIN_BUILD/bench/generated.tags and reused afterwards.
# A real one: cd /usr/include && ctags -R --fields=+iaSKz --extras=+q -f FILE
# (or plain: ctags -R -f FILE).
# BENCH_FLAGS passes --avx2 or --ssse3 (search with AVX2 or SSSE3 at most), --sse2 (SSE2 alone) or
# --every-line.
# BENCH_RUNS sets the timed runs per case (best of them is shown; default 5).
#
# Then, for sorted files, words looked up by both builds (--lookups): a word with
# one tag, one with several, one that only longer names begin with, and one with
# none, the scan and the whole command against mapping the file fresh and
# counting its lines, over a generated file of 7,000,000 tags (1.1 GB, sorted
# as ctags sorts; written once to $VELKIN_BUILD/bench/sorted-large.tags) and
# over universal-ctags' output for /usr/include (written once to
# $VELKIN_BUILD/bench/usr-include.tags). BENCH_PARTS=lookups runs this part alone.
# The reports are kept in $VELKIN_BUILD/bench/report-<arch>.txt.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

runs=${BENCH_RUNS:-5}
velkin_bench_prepare "$@"
tags=$BENCH_TAGS report_dir=$BENCH_REPORTS

# The command finds a file named "tags": the file is read through a link of
# that name.
project=$report_dir/project
mkdir -p "$project"
ln -sfn "$tags" "$project/tags"

lookups() {
  local name=$1 tags=$2 arch
  mkdir -p "$report_dir/$name"
  ln -sfn "$tags" "$report_dir/$name/tags"
  for arch in "${VELKIN_ARCHS[@]}"; do
    velkin_log "sorted lookups, $name, $arch build"
    wine "$VELKIN_BUILD/$arch/bin/scan_benchmark.exe" --runs "$runs" --lookups "Z:$report_dir/$name/tags" | tr -d '\r' \
      | tee "$report_dir/lookups-$name-$arch.txt"
  done
}

run_lookups() {
  local large=$report_dir/sorted-large.tags include=$report_dir/usr-include.tags
  # The 64-bit build writes it: its tables take about 400 MB.
  wine "$VELKIN_BUILD/x86_64/bin/scan_benchmark.exe" --generate "Z:$large" 7000000 | tr -d '\r'
  lookups sorted-large "$large"
  if [ ! -s "$include" ]; then
    ctags -R --quiet -f "$include.part" /usr/include && mv "$include.part" "$include"
  fi
  lookups usr-include "$include"
}

if [ "${BENCH_PARTS:-}" = lookups ]; then
  run_lookups
  exit 0
fi

for arch in "${VELKIN_ARCHS[@]}"; do
  velkin_log "scan benchmark, $arch build"
  wine "$VELKIN_BUILD/$arch/bin/scan_benchmark.exe" --runs "$runs" ${BENCH_FLAGS:-} "Z:$project/tags" | tr -d '\r' \
    | tee "$report_dir/report-$arch.txt"
done

# readtags reads the whole file for a filter: the same work, natively and in C.
bytes=$(stat -c %s "$tags")
velkin_log "readtags -Q filter over the same file, native (best of $runs after a warm-up)"
sed -n 's/^  readtags filter  //p' "$report_dir/report-i686.txt" | while IFS= read -r filter; do
  best=
  for round in $(seq 0 "$runs"); do
    start=$(date +%s%N)
    readtags -t "$tags" -Q "$filter" -l >/dev/null
    elapsed=$(( $(date +%s%N) - start ))
    if [ "$round" -gt 0 ] && { [ -z "$best" ] || [ "$elapsed" -lt "$best" ]; }; then best=$elapsed; fi
  done
  records=$(readtags -t "$tags" -Q "$filter" -l | wc -l)
  echo "$filter"
  awk -v ns="$best" -v bytes="$bytes" -v records="$records" 'BEGIN {
    printf "  %-22s %9.1f ms %8.0f MB/s   records: %d\n", "readtags", ns / 1e6, bytes / 1e6 / (ns / 1e9), records }'
done

run_lookups
