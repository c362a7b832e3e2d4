#!/usr/bin/env bash
# Shows the plug-in doing its job: installs what is missing, builds both DLLs
# and, for each, loads the real Velkin.dll into the simulated editor and runs
# the command, printing every status text, the tag list when it opens (read
# back from the real dialog), the row picked and where the caret lands.
#
#   scripts/demo.sh [OPTIONS]                         the bundled sample project
#   scripts/demo.sh [OPTIONS] FOLDER WORD             WORD in your own project
#   scripts/demo.sh [OPTIONS] FILE LINE [COLUMN|WORD] the caret on LINE of FILE
#
# Options:
#   --show         leave the tag list on the screen for you to pick from
#                  (needs DISPLAY set to a running X server)
#   --pick PICK    how the list is worked on your own code: double-click:N,
#                  enter:N (a click on row N, then Enter), escape; default enter:1
#   --arch ARCH    one build only: i686 (32-bit) or x86_64 (64-bit)
#
# Tags: the nearest folder at or above FOLDER (or FILE's folder) that holds a
# `tags` file is used as it is, read only. Without one, the project is copied
# to a temporary folder and tagged there with `ctags -R`, so that the tags
# file's relative file names resolve as they would beside your sources;
# nothing is written into your folders. The project is FOLDER; for a FILE, its
# git work tree (below any folder named tags). Of a git work tree only the
# files git knows or would add are copied, not build output. The sample is
# always tagged in a temporary copy. With WORD, the document is the first file
# (by name) that holds WORD, the caret on it.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

usage() { sed -n '7,16p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2; exit 2; }
fail() { printf 'demo.sh: %s\n' "$*" >&2; exit 1; }

show=
pick=enter:1
archs=("${VELKIN_ARCHS[@]}")
arguments=()
while [ $# -gt 0 ]; do
  case $1 in
    --show) show=--show ;;
    --pick) [ $# -ge 2 ] || usage; pick=$2; shift ;;
    --arch) [ $# -ge 2 ] || usage; archs=("$2"); shift ;;
    -h|--help) usage ;;
    -*) usage ;;
    *) arguments+=("$1") ;;
  esac
  shift
done
[ ${#arguments[@]} -le 3 ] || usage
if [ -n "$show" ] && [ -z "${DISPLAY:-}" ]; then fail "--show needs DISPLAY set to a running X server"; fi

# The Wine name of a Linux path: drive Z: is the Linux root in every prefix.
wine_path() { printf 'Z:%s' "${1//\//\\}"; }

# The nearest folder at or above $1 that holds a tags file; fails when none
# does. (A folder named tags is not one, though Velkin stops at it too.)
tags_folder_above() {
  local folder=$1
  while :; do
    [ -f "$folder/tags" ] && { printf '%s' "$folder"; return 0; }
    [ "$folder" = / ] && return 1
    folder=$(dirname "$folder")
  done
}

# Copies folder $1 (without version-control data) to $2 and tags the copy.
tag_copy() {
  [ ! -d "$1/tags" ] || fail "$1 has a folder named tags, where the tags file would go"
  mkdir -p "$2"
  if git -C "$1" rev-parse --git-dir >/dev/null 2>&1; then
    # Only what git knows or would add, not build output.
    (cd "$1" && git ls-files -z -co --exclude-standard . | tar --null -T - -cf -) | tar -C "$2" -xf -
  else
    tar -C "$1" --exclude-vcs -cf - . | tar -C "$2" -xf -
  fi
  # Symbolic links stay links and are not followed: a link to / would have
  # ctags tag the whole machine.
  (cd "$2" && ctags -R --links=no) || fail "ctags could not tag the copy of $1"
}

# The project of file $1: its git work tree, or the highest folder of it that
# no folder named tags sits beside; outside git, the file's folder.
project_of() {
  local folder top
  folder=$(dirname "$1")
  top=$(git -C "$folder" rev-parse --show-toplevel 2>/dev/null) || { printf '%s' "$folder"; return 0; }
  while [ "$folder" != "$top" ] && [ "$folder" != / ] && [ ! -d "$(dirname "$folder")/tags" ]; do
    folder=$(dirname "$folder")
  done
  printf '%s' "$folder"
}

# The 1-based line of the first line of file $1 that holds fixed text $2.
line_of() { grep -nF -m1 -- "$2" "$1" | cut -d: -f1; }

velkin_setup
for arch in "${archs[@]}"; do
  case $arch in i686|x86_64) ;; *) fail "unknown architecture $arch (i686 or x86_64)" ;; esac
  velkin_log "building Velkin.dll and the demo, $arch"
  velkin_build_arch "$arch" Velkin velkin_demo >/dev/null
done
velkin_wine_start
work=$(mktemp -d "${TMPDIR:-/tmp}/velkin-demo.XXXXXX")
trap 'velkin_wine_stop; rm -rf "$work"' EXIT

# Each case: --case TITLE FILE LINE POSITION PICK, FILE a Wine path; a
# sixth argument sets the plug-in's TagsFileName for that case alone.
cases=()
add_case() {
  [ $# -lt 6 ] || cases+=(--tags-file-name "$6")
  cases+=(--case "$1" "$(wine_path "$2")" "$3" "$4" "$5")
}

if [ ${#arguments[@]} -eq 0 ]; then
  root=$work/sample
  velkin_log "tagging a copy of the sample project in $root"
  tag_copy "$VELKIN_ROOT/sample" "$root"
  main=$root/src/main.c inventory=$root/src/inventory.c
  add_case "One definition: inventory_load, in src/inventory.c only" \
    "$main" "$(line_of "$main" 'inventory_load(&stock')" inventory_load escape
  add_case "Two definitions: print_usage, in src/main.c and tools/dump.c" \
    "$main" "$(line_of "$main" 'print_usage(argv[0])')" print_usage double-click:2
  add_case "A prototype above the definition: print_item, declared before main in tools/dump.c, defined after it" \
    "$root/tools/dump.c" "$(line_of "$root/tools/dump.c" 'print_item(item)')" print_item escape
  add_case "A prefix: no tag is named report, three begin with it" \
    "$main" "$(line_of "$main" 'report で始まる')" report enter:2
  add_case "The caret on a blank line: the tags of the current document" \
    "$inventory" "$(( $(line_of "$inventory" 'int inventory_load(') - 1 ))" 1 double-click:4
  add_case "A word no tag holds: fprintf, from the C library; the document's tags instead, and Escape" \
    "$main" "$(line_of "$main" 'fprintf(stderr')" fprintf escape
  add_case "A word no tag holds, in a file without tags: nothing to offer" \
    "$root/README.txt" "$(line_of "$root/README.txt" 'gcc -o stock')" gcc escape
  shapes=$root/geo/shapes.cpp
  add_case "C++: a blank line of geo/shapes.cpp lists its tags in words; scaled_radius (row 6) has an escaped pattern" \
    "$shapes" "$(( $(line_of "$shapes" 'double Circle::area') - 1 ))" 1 double-click:6
  add_case "C++: scaled_radius, declared in geo/shapes.h; a comment above its definition names it too" \
    "$root/geo/shapes.h" "$(line_of "$root/geo/shapes.h" 'scaled_radius(')" scaled_radius escape
  report=$root/src/report.c
  add_case "Japanese text in a UTF-8 file: count_label = \"数量\" in src/report.c; a comment above names it too" \
    "$report" "$(line_of "$report" 'count_label,')" count_label escape
  add_case "Japanese text in a Shift-JIS file: price_unit = \"円\" in src/price.c; a comment above names it too" \
    "$report" "$(line_of "$report" 'price_unit)')" price_unit escape
  # A library beside the project, tagged on its own and named by full path,
  # as a Vim user lists it: set tags=./tags;,/path/to/sample-lib/tags
  library=$work/sample-lib
  tag_copy "$VELKIN_ROOT/sample-lib" "$library"
  export_c=$root/src/export.c
  add_case "A library's tags file, by full path: csv_write_row, from sample-lib, tagged apart from the project" \
    "$export_c" "$(line_of "$export_c" 'csv_write_row(out')" csv_write_row escape "tags;$(wine_path "$library/tags")"
elif [ -d "${arguments[0]}" ]; then
  [ ${#arguments[@]} -eq 2 ] || usage
  folder=$(realpath "${arguments[0]}") word=${arguments[1]}
  if root=$(tags_folder_above "$folder"); then
    velkin_log "using $root/tags as it is"
  else
    root=$work/$(basename "$folder")
    velkin_log "no tags file at or above $folder: tagging a copy in $root"
    tag_copy "$folder" "$root"
    folder=$root
  fi
  # The document: the first file (by name) that uses the word, else a new
  # document in the folder that holds only the word.
  file=$(cd "$folder" && grep -rlwI --exclude=tags --exclude-dir=.git -- "$word" . 2>/dev/null | LC_ALL=C sort | head -n1 || true)
  if [ -n "$file" ]; then
    file=$folder/${file#./}
    add_case "$word, as used in ${file#"$root"/}" "$file" "$(grep -nw -m1 -- "$word" "$file" | cut -d: -f1)" "$word" "$pick"
  else
    add_case "$word, which no file of $folder holds: a new document holding only the word" \
      "$folder/velkin-demo-$word.txt" 1 "$word" "$pick"
  fi
elif [ -f "${arguments[0]}" ]; then
  [ ${#arguments[@]} -ge 2 ] || usage
  file=$(realpath "${arguments[0]}") line=${arguments[1]} position=${arguments[2]:--}
  [[ $line =~ ^[1-9][0-9]*$ ]] || fail "LINE must be a line number, not '$line'"
  if root=$(tags_folder_above "$(dirname "$file")"); then
    velkin_log "using $root/tags as it is"
  else
    project=$(project_of "$file")
    root=$work/$(basename "$project")
    velkin_log "no tags file at or above $file: tagging a copy of $project in $root"
    tag_copy "$project" "$root"
    file=$root/${file#"$project"/}
  fi
  add_case "line $line of ${file#"$root"/}" "$file" "$line" "$position" "$pick"
else
  fail "${arguments[0]}: no such folder or file"
fi

for arch in "${archs[@]}"; do
  velkin_log "demo, $arch build"
  wine "$VELKIN_BUILD/$arch/bin/velkin_demo.exe" $show --root "$(wine_path "$root")" "${cases[@]}"
done
