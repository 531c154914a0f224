#!/usr/bin/env bash
# Puts the Windows programs built in BUILD into dist/: a portable folder as a zip, and the
# per-user installer. Usage: package.sh BUILD VERSION (from the project folder).
set -euo pipefail
build="$(cd "$1" && pwd)"
version="$2"
root="$PWD"
stage="$build/stage/pobelo-$version"
rm -rf "$build/stage"
mkdir -p "$stage/fonts" dist
cp "$build/src/window/pobelo.exe" "$build/src/sheettool/pobelo-sheet.exe" "$stage/"
x86_64-w64-mingw32-strip "$stage/pobelo.exe" "$stage/pobelo-sheet.exe"
cp package/windows/pobelo.ico "$stage/"
# A textbook face for sheets whose files name one that Windows lacks, and its licence.
cp /usr/share/fonts/truetype/klee/KleeOne-Regular.ttf "$stage/fonts/"
cp /usr/share/doc/fonts-klee/copyright "$stage/fonts/KleeOne-copyright.txt"
cp examples/sample.moj "$stage/"
# MeCab's dictionary (IPADIC, as Debian's mecab-ipadic-utf8 compiled it: the same binary files on
# Windows), which the programs read the readings from, and the licences of both.
mkdir -p "$stage/mecab/ipadic"
cp /var/lib/mecab/dic/ipadic-utf8/{char.bin,dicrc,matrix.bin,sys.dic,unk.dic} "$stage/mecab/ipadic/"
sed 's/$/\r/' /usr/share/doc/mecab-ipadic/copyright >"$stage/mecab/IPADIC-copyright.txt"
sed 's/$/\r/' "${POBELO_WINDOWS_CACHE:-/var/cache/pobelo-windows}/mecab-0.996-static/share/doc/mecab/BSD" \
  >"$stage/mecab/MeCab-BSD.txt"
# Windows text files: CR LF line ends.
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
sed 's/$/\r/' package/windows/README-windows.txt >"$stage/README.txt"
sed 's/$/\r/' package/windows/THIRD-PARTY.txt >"$stage/THIRD-PARTY.txt"

# What the installer installs, as NSIS macros: each file put in place and named in the list the
# uninstaller follows (POBELO_INSTALL_FILES), the same deleted where that list is gone
# (POBELO_DELETE_FILES), this version's names (POBELO_IS_INSTALLED_FILE) and its folders, deepest
# first (POBELO_REMOVE_FOLDERS).
files_nsh="$build/installer-files.nsh"
mapfile -t files < <(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
mapfile -t folders < <(cd "$stage" && find . -mindepth 1 -type d | sed 's|^\./||' | LC_ALL=C sort -r)
{
  echo '!macro POBELO_INSTALL_FILES HANDLE'
  for f in "${files[@]}"; do
    w=${f//\//\\}
    d=$(dirname "$f")
    if [ "$d" = . ]; then echo '  SetOutPath "$INSTDIR"'; else echo "  SetOutPath \"\$INSTDIR\\${d//\//\\}\""; fi
    echo "  File \"\${STAGE}\\$w\""
    echo "  FileWrite \${HANDLE} \"$w\$\\r\$\\n\""
  done
  echo '!macroend'
  echo '!macro POBELO_DELETE_FILES'
  for f in "${files[@]}"; do w=${f//\//\\}; echo "  Delete \"\$INSTDIR\\$w\""; done
  echo '!macroend'
  echo '!macro POBELO_IS_INSTALLED_FILE NAME RESULT'
  echo '  StrCpy ${RESULT} 0'
  for f in "${files[@]}" uninstall.exe; do
    w=${f//\//\\}
    echo "  StrCmp \${NAME} \"$w\" 0 +2"
    echo '  StrCpy ${RESULT} 1'
  done
  echo '!macroend'
  echo '!macro POBELO_REMOVE_FOLDERS'
  for d in "${folders[@]}"; do echo "  RMDir \"\$INSTDIR\\${d//\//\\}\""; done
  echo '!macroend'
} >"$files_nsh"
# The licence page wraps the text to its own width: one line a paragraph.
licence="$build/installer-licence.txt"
awk 'BEGIN { RS = ""; ORS = "\r\n\r\n" } { gsub(/\n/, " "); print }' LICENSE >"$licence"

zip_name="pobelo-$version-windows-x64.zip"
rm -f "dist/$zip_name"
(cd "$build/stage" && zip -qr "$root/dist/$zip_name" "pobelo-$version")
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DFILES="$files_nsh" -DLICENCE="$licence" \
  -DOUT="$root/dist/pobelo-$version-setup.exe" package/windows/pobelo.nsi
echo "dist/$zip_name"
echo "dist/pobelo-$version-setup.exe"
