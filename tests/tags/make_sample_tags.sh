#!/bin/sh
# Tags the sample tree with ctags in three address styles and records
# readtags' answers to the queries, for the scanner tests to compare with,
# and once more sorted with letters folded.
# Patterns carry the line: field, where the jump tests expect to land.
#   make_sample_tags.sh SAMPLE_FOLDER QUERIES_FILE OUTPUT_FOLDER
# Queries are lines "word NAME" (exact and prefix look-ups) and "document
# FILE" (every tag whose file field is FILE, by a full scan).
set -eu
sample=$1 queries=$2 out=$3
mkdir -p "$out"
cd "$sample"
for style in number pattern mixed; do
  case $style in
    number) fields= ;;
    pattern) fields=--fields=+iaSn ;;
    mixed) fields="--fields=+iaSKzn --extras=+q" ;;
  esac
  tags=$out/$style.tags
  # shellcheck disable=SC2086 # $fields holds several options
  ctags --quiet --options=NONE -R --excmd=$style $fields -f "$tags"
  while read -r what value; do
    case $what in
      word)
        readtags -t "$tags" - "$value" >"$out/$style.exact.$value"
        readtags -t "$tags" -p - "$value" >"$out/$style.prefix.$value" ;;
      document)
        readtags -t "$tags" -Q "(eq? \$input \"$value\")" -l >"$out/$style.document.$(echo "$value" | tr / _)" ;;
    esac
  done <"$queries"
done
# Sorted with letters folded to upper case, for the search of sorted files.
ctags --quiet --options=NONE -R --sort=foldcase --fields=+iaSn -f "$out/foldcase.tags"
touch "$out/stamp"
