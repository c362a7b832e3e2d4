#!/bin/sh
# The demo on the bundled sample: tags a copy with ctags, runs velkin_demo
# with the caret on a word of one definition, on one of two, on one declared
# by a prototype above its definition, on a blank line
# of the C++ part, and on words defined by lines with Japanese text in a UTF-8
# and a Shift-JIS file; checks where the caret lands (by a double-click on the
# list's row 2; on row 6 to a definition whose pattern is escaped; on the
# definitions, not on the comments above them that name them too) and a
# member's Kind words.
#   demo_sample.sh SAMPLE_FOLDER WORK_FOLDER WINE_ROOT DEMO_EXE
set -eu
sample=$1 work=$2 wine_root=$3 demo=$4
here=$(dirname "$0")
rm -rf "$work"
mkdir -p "$work"
cp -r "$sample" "$work/sample"
(cd "$work/sample" && ctags -R)
win() { printf 'Z:%s' "$(echo "$1" | tr / '\\')"; }
main=$work/sample/src/main.c dump=$work/sample/tools/dump.c shapes=$work/sample/geo/shapes.cpp report=$work/sample/src/report.c
line() { grep -nF -m1 -- "$1" "${2:-$main}" | cut -d: -f1; }
output=$("$here/../../scripts/wine-run.sh" "$wine_root" "$demo" --root "$(win "$work/sample")" \
  --case one "$(win "$main")" "$(line 'inventory_load(&stock')" inventory_load escape \
  --case two "$(win "$main")" "$(line 'print_usage(argv[0])')" print_usage double-click:2 \
  --case prototype "$(win "$dump")" "$(line 'print_item(item)' "$dump")" print_item escape \
  --case c++ "$(win "$shapes")" "$(($(line 'double Circle::area' "$shapes") - 1))" 1 double-click:6 \
  --case utf-8 "$(win "$report")" "$(line 'count_label,' "$report")" count_label escape \
  --case shift-jis "$(win "$report")" "$(line 'price_unit)' "$report")" price_unit escape)
printf '%s\n' "$output"
expect() {
  printf '%s\n' "$output" | grep -qF -- "$1" || { echo "demo_sample: missing: $1" >&2; exit 1; }
}
expect "landed    src/inventory.c:14  int inventory_load(struct inventory *inv, const char *path)"
expect "->  2  print_usage"
expect "landed    tools/dump.c:6  static void print_usage(const char *program)"
expect "landed    tools/dump.c:27  static void print_item(const struct item *item)"
expect "2  area           クラス geo::Circle メンバ 関数    geo/shapes.cpp"
expect "5  pi             ファイル内限定 名前空間 geo 関数  geo/shapes.cpp"
expect "landed    geo/shapes.cpp:16  double Circle::scaled_radius(double ratio) const  // ratio 1/2: half the radius"
expect 'landed    src/report.c:5  const char *count_label = "数量";'
expect 'landed    src/price.c:5  const char *price_unit = "円";'
rm -rf "$work"
