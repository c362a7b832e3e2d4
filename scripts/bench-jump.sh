#!/usr/bin/env bash
# Jump accuracy: tags real C and C++ trees with universal-ctags in the order
# of the sources with each tag's own line (--sort=no --fields=+n) and counts,
# under Wine with the 32-bit build, how many search-pattern tags the jump
# lands on their own line, judged strictly (an earlier line holding the text
# counts as wrong): for the tags as ctags writes them by default (sorted,
# where alike lines become one, and with --sort=no) and with line numbers,
# before and after the jump told twins (one definition in several #if
# branches) and members (inside their owner) apart, split into twins,
# members and others; and what a jump to a unique line costs, before and
# after, in the same run. See bench/JumpAccuracy.cpp.
#
#   scripts/bench-jump.sh [TREE...]
#
# A TREE is a folder (tagged with ctags -R) or a file, or "bluez": BlueZ's C
# sources, which Debian ships in the package bluez-source (installed when
# missing, unpacked below the build folder once). Without one: the C
# library's headers directly in /usr/include, GoogleTest's sources in
# /usr/src/googletest, and BlueZ. The trees are tagged by their absolute
# paths, so the file fields are rooted paths, placed on the tags folder's
# drive (Z:). The report is kept in $VELKIN_BUILD/bench/jump-accuracy.txt.
# With VELKIN_JUMP_MISSES=1 it lists the members the default tags file does
# not land on their own line.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [ $# -eq 0 ]; then set -- "/usr/include/*.h" /usr/src/googletest bluez; fi
velkin_setup
velkin_build_arch i686 jump_accuracy >/dev/null
velkin_wine_start
out=$VELKIN_BUILD/bench
mkdir -p "$out"

# The folder of BlueZ's sources, unpacked from Debian's bluez-source.
bluez_tree() {
  local tree=$out/bluez-source
  if [ ! -f /usr/src/bluez.tar.bz2 ]; then
    velkin_log "installing bluez-source"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq bluez-source </dev/null >/dev/null
  fi
  if [ ! -d "$tree" ]; then
    velkin_log "unpacking /usr/src/bluez.tar.bz2"
    tar -xjf /usr/src/bluez.tar.bz2 -C "$out"
  fi
  echo "$tree"
}

report=$out/jump-accuracy.txt
: >"$report"
for tree in "$@"; do
  if [ "$tree" = bluez ]; then tree=$(bluez_tree); fi
  # A quoted pattern such as "/usr/include/*.h" names its files.
  # shellcheck disable=SC2086
  ctags --quiet --options=NONE -R --sort=no --fields=+n -f "$out/jump.tags" $tree
  velkin_log "jump accuracy: $tree"
  { echo "$tree"; wine "$VELKIN_BUILD/i686/bin/jump_accuracy.exe" "Z:$out/jump.tags" ${VELKIN_JUMP_MISSES:+--misses} | tr -d '\r'; } | tee -a "$report"
done
