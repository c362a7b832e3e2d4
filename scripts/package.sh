#!/usr/bin/env bash
# Makes the release package dist/Velkin-<version>.zip and checks it:
#   x86/Velkin.dll, x64/Velkin.dll   stripped DLLs for 32-bit and 64-bit EmEditor
#   README.ja.txt                    the Japanese guide (README.ja.md)
#   languages.ja.txt                 the Kind column's languages (docs/languages.ja.md)
#   LICENSE.txt, TagsFileName.reg    the license and a registry example
#   SHA256SUMS                       sums of all the files above
# The version is VELKIN_VERSION_TEXT of res/Version.h. Fails on any fault:
# a DLL holding a time stamp or a source or build folder, a DLL that differs
# from a second build of the same sources made in other folders, a sum that
# does not match, or a DLL that does not load into the simulated editor.
#
# Text files are UTF-8 with a byte-order mark and CR LF line ends, so that
# Notepad and editors set to Shift-JIS read them right; the .reg file is
# UTF-16 with a byte-order mark, as regedit writes it.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

fail() { printf 'package.sh: %s\n' "$*" >&2; exit 1; }

version=$(sed -n 's/^#define VELKIN_VERSION_TEXT "\([^"]*\)".*/\1/p' "$VELKIN_ROOT/res/Version.h")
[ -n "$version" ] || fail "no VELKIN_VERSION_TEXT in res/Version.h"
zip_file=$VELKIN_ROOT/dist/Velkin-$version.zip
work=$VELKIN_BUILD/package
stage=$work/stage
again=$work/again
unpacked=$work/unpacked
declare -A folder_of=([i686]=x86 [x86_64]=x64)
# The folders no shipped byte may name.
forbidden=("$VELKIN_ROOT" "$VELKIN_BUILD" "$work")

velkin_setup
rm -rf "$work"
mkdir -p "$stage" "$again/source" "$unpacked" "$VELKIN_ROOT/dist"

# The second build: the same sources copied to another folder and built in
# a folder of another name, the DLL alone.
tar -C "$VELKIN_ROOT" --exclude='./build*' --exclude=./dist --exclude=./.git -cf - . | tar -C "$again/source" -xf -
for arch in "${VELKIN_ARCHS[@]}"; do
  velkin_log "building $arch"
  velkin_build_arch "$arch" Velkin velkin_demo
  velkin_log "building $arch again, in $again"
  velkin_configure "$again/source" "$again/build-$arch" "$arch" -DVELKIN_BUILD_TESTS=OFF
  cmake --build "$again/build-$arch" -j "$(nproc)" --target Velkin >/dev/null

  first=$VELKIN_BUILD/$arch/bin/Velkin.dll
  second=$again/build-$arch/bin/Velkin.dll
  cmp "$first" "$second" || fail "the two $arch builds of Velkin.dll differ"
  shipped=$stage/${folder_of[$arch]}/Velkin.dll
  mkdir -p "$(dirname "$shipped")"
  # strip stamps the PE header with the time of day unless SOURCE_DATE_EPOCH
  # names one: 0 is what the linker's --no-insert-timestamp leaves there.
  SOURCE_DATE_EPOCH=0 "$arch-w64-mingw32-strip" --strip-all -o "$shipped" "$first"
  SOURCE_DATE_EPOCH=0 "$arch-w64-mingw32-strip" --strip-all -o "$again/Velkin-$arch.dll" "$second"
  cmp "$shipped" "$again/Velkin-$arch.dll" || fail "the two stripped $arch DLLs differ"
  for dll in "$first" "$second" "$shipped"; do
    "$VELKIN_ROOT/scripts/check-dll.py" "$dll" "${forbidden[@]}" || fail "$dll is not reproducible"
  done
done

to_windows_text() { printf '\xef\xbb\xbf'; sed 's/\r*$/\r/' "$1"; }
to_windows_text "$VELKIN_ROOT/README.ja.md" >"$stage/README.ja.txt"
to_windows_text "$VELKIN_ROOT/docs/languages.ja.md" >"$stage/languages.ja.txt"
sed 's/\r*$/\r/' "$VELKIN_ROOT/LICENSE" >"$stage/LICENSE.txt"
{ printf '\xff\xfe'; sed 's/\r*$/\r/' "$VELKIN_ROOT/package/TagsFileName.reg" | iconv -f UTF-8 -t UTF-16LE; } \
  >"$stage/TagsFileName.reg"
contents=(x86/Velkin.dll x64/Velkin.dll README.ja.txt languages.ja.txt LICENSE.txt TagsFileName.reg)
(cd "$stage" && sha256sum "${contents[@]}" | sed 's/$/\r/' >SHA256SUMS)

# The same files in the same order with the time of the last commit give the
# same zip on every run.
stamp=${SOURCE_DATE_EPOCH:-$(git -C "$VELKIN_ROOT" log -1 --format=%ct 2>/dev/null || echo 315532800)}
find "$stage" -type f -exec chmod 644 {} + -exec touch -d "@$stamp" {} +
rm -f "$zip_file"
(cd "$stage" && TZ=UTC zip -q -X -D "$zip_file" README.ja.txt languages.ja.txt LICENSE.txt TagsFileName.reg SHA256SUMS \
  x86/Velkin.dll x64/Velkin.dll)

velkin_log "checking $zip_file"
unzip -q "$zip_file" -d "$unpacked"
(cd "$unpacked" && sha256sum --check --quiet --strict SHA256SUMS) || fail "SHA256SUMS does not match the zip"
velkin_wine_start
for arch in "${VELKIN_ARCHS[@]}"; do
  dll=$unpacked/${folder_of[$arch]}/Velkin.dll
  cmp "$dll" "$again/Velkin-$arch.dll" || fail "the zip's $arch DLL differs from the second build"
  # The demo loads the Velkin.dll that lies beside it.
  cp "$VELKIN_BUILD/$arch/bin/velkin_demo.exe" "$(dirname "$dll")/"
  velkin_log "the zip's ${folder_of[$arch]}/Velkin.dll in the simulated editor"
  output=$(wine "$(dirname "$dll")/velkin_demo.exe" --identity) || { printf '%s\n' "$output"; fail "the $arch demo failed"; }
  printf '%s\n' "$output"
  grep -qxF "  version: $version" <<<"$output" || fail "the $arch DLL does not report version $version"
  grep -qF "${folder_of[$arch]}\\Velkin.dll" <<<"$output" || fail "the $arch demo did not load the zip's DLL"
done

velkin_log "$zip_file ($(stat -c %s "$zip_file") bytes) made and checked in ${SECONDS} s"
(cd "$VELKIN_ROOT/dist" && sha256sum "$(basename "$zip_file")")
