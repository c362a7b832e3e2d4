#!/usr/bin/env bash
# The README's picture of the tag picker. Tags the sample tree with ctags,
# opens the picker of the 32-bit build with the prefix matches of "S", the way
# the command shows them, under Xvfb in a Wine prefix of its own whose dialog
# font is a Japanese font from Debian (VL PGothic), captures the screen and
# crops it to the dialog.
#
#   scripts/picker-screenshot.sh [OUTPUT_PNG]      (default docs/picker.png)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

output=$(realpath -m "${1:-$VELKIN_ROOT/docs/picker.png}")
picture=$VELKIN_BUILD/picture
word=S
selected_row=5

velkin_setup
for package in fonts-vlgothic imagemagick; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
    velkin_log "installing $package"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$package" </dev/null >/dev/null
  fi
done
velkin_build_arch i686 Velkin picker_picture

mkdir -p "$picture" "$(dirname "$output")"
# universal-ctags' default fields, as `ctags -R` writes them: a member's
# "class:ui::Widget<TAB>typeref:typename:int", a static function's "file:".
(cd "$VELKIN_ROOT/tests/tags/sample" && ctags --quiet --options=NONE -R -f "$picture/tags")

# A prefix of its own, so the tests keep Wine's usual fonts. The dialog's
# "MS Shell Dlg" (which a Japanese prefix maps to "MS UI Gothic") and the
# title bar's font get VL PGothic.
"$VELKIN_ROOT/scripts/wine-run.sh" "$picture" --prepare
export WINEPREFIX=$picture/wineprefix
if [ ! -f "$WINEPREFIX/.velkin-fonts" ]; then
  velkin_log "mapping the dialog fonts to VL PGothic"
  substitutes='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
  for face in "MS Shell Dlg" "MS Shell Dlg 2" "MS UI Gothic"; do
    wine reg add "$substitutes" /v "$face" /d "VL PGothic" /f >/dev/null 2>&1
  done
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma \
    /t REG_MULTI_SZ /d 'VL-PGothic-Regular.ttf,VL PGothic' /f >/dev/null 2>&1
  # Wine draws the caption buttons with its own Marlett, which this Wine does
  # not find in its data folder.
  if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
  timeout 30 wineserver -w || true
  touch "$WINEPREFIX/.velkin-fonts"
fi
velkin_wine_start

velkin_log "showing the picker"
rm -f "$picture/run.txt"
wine "$VELKIN_BUILD/i686/bin/picker_picture.exe" "Z:$picture/tags" "$word" "$selected_row" 4000 \
  >"$picture/run.txt" 2>&1 </dev/null &
program=$!
for _ in $(seq 100); do grep -q '^dialog' "$picture/run.txt" 2>/dev/null && break; sleep 0.1; done
read -r _ left top right bottom < <(grep '^dialog' "$picture/run.txt" | tr -d '\r') \
  || { cat "$picture/run.txt" >&2; exit 1; }
sleep 0.5
import -window root "$picture/screen.png"
wait "$program"
convert "$picture/screen.png" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$output"
velkin_log "wrote $output ($((right - left)) x $((bottom - top)))"
