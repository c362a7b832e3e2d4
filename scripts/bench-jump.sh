#!/usr/bin/env bash
# Jump accuracy: tags real C and C++ trees with universal-ctags' default
# options plus --fields=+n (each tag's own line) and counts, under Wine with
# the 32-bit build, how many search-pattern tags the jump lands on their own
# line, judged strictly: for the tags as ctags writes them by default, with
# the line: field, and with combined addresses (N;/pattern/), before (a plain
# search from the top for each text in turn) and after (the real move to the
# pattern, against the simulated editor), in the same run. It also counts the
# tags whose own line is the first one holding their text under the
# pattern's anchors: without a line hint, the jump can land no better.
#
#   scripts/bench-jump.sh [TREE...]
#
# A TREE is a folder (tagged with ctags -R) or a file. Without one: the C
# library's headers directly in /usr/include, and GoogleTest's sources in
# /usr/src/googletest. The trees are tagged by their absolute paths, so the
# file fields are rooted paths, placed on the tags folder's drive (Z:). The
# report is kept in $VELKIN_BUILD/bench/jump-accuracy.txt.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [ $# -eq 0 ]; then set -- "/usr/include/*.h" /usr/src/googletest; fi
velkin_setup
velkin_build_arch i686 jump_accuracy >/dev/null
velkin_wine_start
out=$VELKIN_BUILD/bench
mkdir -p "$out"
report=$out/jump-accuracy.txt
: >"$report"
for tree in "$@"; do
  # A quoted pattern such as "/usr/include/*.h" names its files.
  # shellcheck disable=SC2086
  ctags --quiet --options=NONE -R --fields=+n -f "$out/jump.tags" $tree
  velkin_log "jump accuracy: $tree"
  { echo "$tree"; wine "$VELKIN_BUILD/i686/bin/jump_accuracy.exe" "Z:$out/jump.tags" | tr -d '\r'; } | tee -a "$report"
done
