#!/bin/sh
# Tags the small sources under src/ with universal-ctags, once with its
# default fields and once each with --fields=+n, +K, +Z and +l, for the Kind
# column's tests; a file with no extension is tagged in the language its
# "#!" line names (-G). Run from this folder when a source changes; the tags
# files are kept beside it.
set -eu
cd "$(dirname "$0")"
for fields in default n K Z l; do
  option=
  [ "$fields" = default ] || option=--fields=+$fields
  # shellcheck disable=SC2086 # $option is one option or none
  ctags --quiet --options=NONE --pseudo-tags=-TAG_PROC_CWD -R -G $option -f "tags-$fields" src
done
