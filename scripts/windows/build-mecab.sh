#!/usr/bin/env bash
# Builds a static MeCab 0.996 for 64-bit Windows (MinGW-w64, POSIX threads) from Debian's own
# mecab source, once, into the cache folder that also holds the Qt for Windows
# ($POBELO_WINDOWS_CACHE, default /var/cache/pobelo-windows). A later run finds the finished
# prefix and returns at once. Takes about two minutes. Run as root.
#
# Only the library is built: the dictionary the programs ship is the one Debian's
# mecab-ipadic-utf8 compiled on this machine (its binary files are the same on Windows).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cache="${POBELO_WINDOWS_CACHE:-/var/cache/pobelo-windows}"
prefix="$cache/mecab-0.996-static"
marker="$prefix/.complete"
if [ -f "$marker" ]; then
  echo "MeCab for Windows: $prefix (cached)"
  exit 0
fi
bash "$here/install-cross-tools.sh"
mkdir -p "$cache/src-mecab"
cd "$cache"

# Debian's source package through the same private deb-src list as Qt's. The upstream tarball is
# what is built; it is checked against the SHA-256 that Debian's .dsc gives for it, so a download
# of Debian's packaging that fails (a mirror without it) does not stop the build.
if [ ! -f src-mecab/mecab_0.996.orig.tar.gz ] || [ ! -f src-mecab/mecab_0.996-14.dsc ]; then
  uri=$(awk '/^URIs:/{print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  [ -n "$uri" ] || uri=$(awk '/^deb /{print $2; exit}' /etc/apt/sources.list)
  echo "deb-src $uri bookworm main" >sources.list
  apto=(-o "Dir::Etc::SourceList=$cache/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o "Dir::State::Lists=$cache/lists" -o "Dir::Cache=$cache/apt-cache")
  mkdir -p lists/partial apt-cache/archives/partial
  apt-get "${apto[@]}" update -qq
  (cd src-mecab && apt-get "${apto[@]}" source --download-only mecab) || true
fi
cd src-mecab
want=$(awk '/^Checksums-Sha256:/{f=1; next} f && /orig.tar.gz$/{print $1; exit}' mecab_0.996-14.dsc)
have=$(sha256sum mecab_0.996.orig.tar.gz | cut -d' ' -f1)
if [ -z "$want" ] || [ "$want" != "$have" ]; then
  echo "MeCab's source does not match Debian's .dsc ($have, expected $want)" >&2
  exit 1
fi
rm -rf mecab-0.996 build
tar xzf mecab_0.996.orig.tar.gz
cd mecab-0.996
# The header declares the functions as a DLL's and includes windows.h: for the static library,
# and for sources that include Qt after it, plain extern declarations are what is wanted.
python3 - src/mecab.h <<'PY'
import sys
text = open(sys.argv[1], encoding="utf-8").read()
block = text[text.index("#ifdef _WIN32\n#include <windows.h>"):]
block = block[:block.index("#endif\n") + len("#endif\n")]
open(sys.argv[1], "w", encoding="utf-8").write(text.replace(block, ""))
PY
# The library only (no iconv: the programs hand it UTF-8 and read UTF-8 back).
./configure --host=x86_64-w64-mingw32 CC=x86_64-w64-mingw32-gcc-posix \
  CXX=x86_64-w64-mingw32-g++-posix --enable-static --disable-shared --with-charset=utf8 \
  CXXFLAGS="-O2 -std=gnu++11 -Wno-register" >../configure.log 2>&1 ||
  { tail -20 ../configure.log >&2; exit 1; }
make -C src libmecab.la -j"$(nproc)" >../make.log 2>&1 || { tail -30 ../make.log >&2; exit 1; }
rm -rf "$prefix"
mkdir -p "$prefix/include" "$prefix/lib" "$prefix/share/doc/mecab"
cp src/mecab.h "$prefix/include/"
cp src/.libs/libmecab.a "$prefix/lib/"
cp COPYING BSD AUTHORS "$prefix/share/doc/mecab/"
touch "$marker"
echo "MeCab for Windows: $prefix"
