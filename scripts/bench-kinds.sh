#!/usr/bin/env bash
# Kind column survey: tags real source trees with universal-ctags, once with
# its default fields and once with --fields=+n, and has the 32-bit build's
# Kind cells of every row checked, under Wine, against a second tags file of
# the same trees in which ctags names each row's kind, language and owner
# itself (the same fields plus +KlZ). Per language it prints the rows, the
# cells that show a bare letter, those whose kind is not ctags' own, the rows
# whose owner the cell does not name, the cells that show a kind's name for
# want of a word, and the ten most frequent cells.
#
#   scripts/bench-kinds.sh TREE...
#
# A TREE is a folder (tagged with ctags -R) or a file; all are tagged into
# one tags file by their absolute paths. The reports are kept in
# $VELKIN_BUILD/bench/kinds-default.txt and kinds-n.txt.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [ $# -eq 0 ]; then
  echo "usage: scripts/bench-kinds.sh TREE..." >&2
  exit 2
fi
trees=()
for tree in "$@"; do trees+=("$(realpath "$tree")"); done
velkin_setup
velkin_build_arch i686 kind_survey >/dev/null
velkin_wine_start
out=$VELKIN_BUILD/bench
mkdir -p "$out"
for fields in default n; do
  plus=
  [ "$fields" = default ] || plus=$fields
  velkin_log "kind survey, fields: $fields"
  args=(--quiet --options=NONE -R)
  ctags "${args[@]}" ${plus:+--fields=+$plus} -f "$out/kinds-$fields.tags" "${trees[@]}"
  ctags "${args[@]}" --fields=+${plus}KlZ -f "$out/kinds-$fields-reference.tags" "${trees[@]}"
  wine "$VELKIN_BUILD/i686/bin/kind_survey.exe" "Z:$out/kinds-$fields.tags" "Z:$out/kinds-$fields-reference.tags" \
    | tr -d '\r' >"$out/kinds-$fields.txt"
  velkin_log "report: $out/kinds-$fields.txt"
done
