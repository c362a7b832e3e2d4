#!/bin/sh
# Tags the small sources under src/ with universal-ctags, once with its
# default fields and once each with --fields=+n, +K and +Z, for the Kind
# column's tests. Run from this folder when a source changes; the tags files
# are kept beside it.
set -eu
cd "$(dirname "$0")"
for fields in default n K Z; do
  option=
  [ "$fields" = default ] || option=--fields=+$fields
  # shellcheck disable=SC2086 # $option is one option or none
  ctags --quiet --options=NONE --pseudo-tags=-TAG_PROC_CWD -R $option -f "tags-$fields" src
done
