#!/usr/bin/env bash
# Scanner benchmark: builds both architectures and times, under Wine, the
# reading of tags files against the floor of reading them: one fresh view of
# the whole file (64 MB views one after another only where a 32-bit process
# has no room for one) and an SSE2 count of its line feeds, best of several
# rounds run back to back with nothing else between them, measured in the
# same run. Every ratio is against that floor.
#
#   scripts/bench.sh [TAGS_FILE]
#
# 1. Every line: the whole ScanTagsFile of TAGS_FILE reading every line, with
#    counts over a view already read; then, for a row of current-document
#    names, a word with no tag looked up (ScanTagsFile as the command calls it)
#    and the whole command (Velkin.dll in the simulated editor, OnCommand to
#    the status after the lookup), on the widest search and held to AVX2 (the
#    command through VelkinAvx2.dll, the same plug-in searching with AVX2 at
#    most); then universal-ctags' readtags filtering the same file natively.
#    Without TAGS_FILE it uses a generated tags file of 1,000,000 tags
#    (164 MB), written once to $VELKIN_BUILD/bench/generated.tags. A real one:
#    cd /usr/include && ctags -R --fields=+iaSKz --extras=+q -f FILE (or plain:
#    ctags -R -f FILE). BENCH_FLAGS passes --avx2 or --ssse3 (search with AVX2
#    or SSSE3 at most), --sse2 (SSE2 alone) or --every-line. A UTF-8 one, as
#    today's ctags writes a Japanese project's (a quarter of the file fields
#    in Japanese): scripts/make-utf8-tags.py GENERATED UTF8 from the generated
#    file; its document names gain one in Japanese that the file holds.
# 2. Lookups (--lookups) in sorted files: a word with one tag, one with
#    several, one that only longer names begin with, and one with none, then
#    the word with none for every document name, over a generated file of
#    7,000,000 tags (1.1 GB, sorted as ctags sorts; written once to
#    $VELKIN_BUILD/bench/sorted-large.tags) and universal-ctags' output for
#    /usr/include (written once to $VELKIN_BUILD/bench/usr-include.tags).
# 3. Several files (--several): TagsFileName lists /usr/include's tags as the
#    project's ("tags", found upward from the document), then the 1.1 GB file
#    and a small project's tags (the sample project's) by full path; a word
#    with tags in each and one with none, beside the same command over each
#    file alone.
# 4. Past 4 GiB (--past-4gib): a generated file of 28,000,000 tags (4.6 GB,
#    sorted; written once to $VELKIN_BUILD/bench/past-4GiB/sorted/tags) and a
#    copy of it whose header says not sorted (past-4GiB/unsorted/tags): a word
#    whose tags stand past the 4 GiB offset and a word with none, each against
#    its file's floor, then the time from Esc, pressed 300 ms into a read of
#    every line, to the command's end. The two files take 9.2 GB of disk;
#    BENCH_RUNS defaults to 3 here.
#
# BENCH_PARTS picks parts: "every-line", "lookups", "several", "past-4gib"
# (default: all).
# BENCH_RUNS sets the timed runs per case (best of them is shown; default 5).
# The reports are kept in $VELKIN_BUILD/bench/.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

runs=${BENCH_RUNS:-5}
parts=${BENCH_PARTS:-every-line lookups several past-4gib}
has_part() { [[ " $parts " == *" $1 "* ]]; }
velkin_bench_prepare "$@"
tags=$BENCH_TAGS report_dir=$BENCH_REPORTS
large=$report_dir/sorted-large.tags include=$report_dir/usr-include.tags

# The command finds a file named "tags": each file is read through a link of
# that name.
link_tags() {
  mkdir -p "$1"
  ln -sfn "$2" "$1/tags"
}

every_line() {
  local arch project=$report_dir/project
  link_tags "$project" "$tags"
  for arch in "${VELKIN_ARCHS[@]}"; do
    velkin_log "scan benchmark, $arch build"
    wine "$VELKIN_BUILD/$arch/bin/scan_benchmark.exe" --runs "$runs" ${BENCH_FLAGS:-} "Z:$project/tags" | tr -d '\r' \
      | tee "$report_dir/report-$arch.txt"
  done

  # readtags reads the whole file for a filter: the same work, natively and in C.
  local bytes filter best round start elapsed records
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
}

prepare_sorted() {
  # The 64-bit build writes it: its tables take about 400 MB.
  wine "$VELKIN_BUILD/x86_64/bin/scan_benchmark.exe" --generate "Z:$large" 7000000 | tr -d '\r'
  if [ ! -s "$include" ]; then
    ctags -R --quiet -f "$include.part" /usr/include && mv "$include.part" "$include"
  fi
  link_tags "$report_dir/sorted-large" "$large"
  link_tags "$report_dir/usr-include" "$include"
}

lookups() {
  local name arch
  for name in sorted-large usr-include; do
    for arch in "${VELKIN_ARCHS[@]}"; do
      velkin_log "sorted lookups, $name, $arch build"
      wine "$VELKIN_BUILD/$arch/bin/scan_benchmark.exe" --runs "$runs" --lookups "Z:$report_dir/$name/tags" \
        | tr -d '\r' | tee "$report_dir/lookups-$name-$arch.txt"
    done
  done
}

several() {
  local arch small=$report_dir/small
  mkdir -p "$small"
  (cd "$VELKIN_ROOT/sample" && ctags -R --quiet -f "$small/tags" .)
  link_tags "$report_dir/several/project" "$include"
  for arch in "${VELKIN_ARCHS[@]}"; do
    velkin_log "several tags files, $arch build"
    wine "$VELKIN_BUILD/$arch/bin/scan_benchmark.exe" --runs "$runs" --several "Z:$report_dir/several/project" \
      "Z:$report_dir/sorted-large/tags" "Z:$small/tags" | tr -d '\r' | tee "$report_dir/several-$arch.txt"
  done
}

past_four_gib() {
  local arch big=$report_dir/past-4GiB
  mkdir -p "$big/sorted" "$big/unsorted"
  # The 64-bit build writes it: its tables take about 1.7 GB.
  wine "$VELKIN_BUILD/x86_64/bin/scan_benchmark.exe" --generate "Z:$big/sorted/tags" 28000000 | tr -d '\r'
  if [ ! -s "$big/unsorted/tags" ] || [ "$big/sorted/tags" -nt "$big/unsorted/tags" ]; then
    # The same bytes, the header saying 0: every line is read.
    cp "$big/sorted/tags" "$big/unsorted/tags.part"
    python3 - "$big/unsorted/tags.part" <<'PY'
import sys
with open(sys.argv[1], "r+b") as f:
    head = f.read(4096)
    at = head.index(b"!_TAG_FILE_SORTED\t1") + len(b"!_TAG_FILE_SORTED\t")
    f.seek(at)
    f.write(b"0")
PY
    mv "$big/unsorted/tags.part" "$big/unsorted/tags"
  fi
  for arch in "${VELKIN_ARCHS[@]}"; do
    velkin_log "past 4 GiB, $arch build"
    wine "$VELKIN_BUILD/$arch/bin/scan_benchmark.exe" --runs "${BENCH_RUNS:-3}" --past-4gib "Z:$big/sorted/tags" \
      "Z:$big/unsorted/tags" | tr -d '\r' | tee "$report_dir/past-4GiB-$arch.txt"
  done
}

if has_part every-line; then every_line; fi
if has_part lookups || has_part several; then prepare_sorted; fi
if has_part lookups; then lookups; fi
if has_part several; then several; fi
if has_part past-4gib; then past_four_gib; fi
