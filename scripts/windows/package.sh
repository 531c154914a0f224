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
# Windows text files: CR LF line ends.
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
sed 's/$/\r/' package/windows/README-windows.txt >"$stage/README.txt"
sed 's/$/\r/' package/windows/THIRD-PARTY.txt >"$stage/THIRD-PARTY.txt"

zip_name="pobelo-$version-windows-x64.zip"
rm -f "dist/$zip_name"
(cd "$build/stage" && zip -qr "$root/dist/$zip_name" "pobelo-$version")
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUT="$root/dist/pobelo-$version-setup.exe" \
  package/windows/pobelo.nsi
echo "dist/$zip_name"
echo "dist/pobelo-$version-setup.exe"
