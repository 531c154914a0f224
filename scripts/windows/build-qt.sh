#!/usr/bin/env bash
# Builds a static Qt 6.4.2 for 64-bit Windows (MinGW-w64) from Debian's own qt6-base source, once,
# into a cache folder outside the project ($POBELO_WINDOWS_CACHE, default
# /var/cache/pobelo-windows). A later run finds the finished prefix and returns at once.
# Takes about 20 minutes on two idle cores (longer on busy ones). Run as root.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cache="${POBELO_WINDOWS_CACHE:-/var/cache/pobelo-windows}"
prefix="$cache/qt-6.4.2-static"
# The marker names what the prefix holds; a prefix from an older list of modules is built on.
marker="$prefix/.complete-core-gui-widgets-printsupport-test"
if [ -f "$marker" ]; then
  echo "Qt for Windows: $prefix (cached)"
  exit 0
fi
bash "$here/install-cross-tools.sh"
mkdir -p "$cache"
cd "$cache"

# The source package through a private deb-src list made from the system's own archive address,
# so nothing under /etc/apt changes.
if [ ! -d src/qtbase ]; then
  uri=$(awk '/^URIs:/{print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  [ -n "$uri" ] || uri=$(awk '/^deb /{print $2; exit}' /etc/apt/sources.list)
  echo "deb-src $uri bookworm main" >sources.list
  apto=(-o "Dir::Etc::SourceList=$cache/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o "Dir::State::Lists=$cache/lists" -o "Dir::Cache=$cache/apt-cache")
  mkdir -p lists/partial apt-cache/archives/partial src
  apt-get "${apto[@]}" update -qq
  (cd src && apt-get "${apto[@]}" source --download-only qt6-base &&
    rm -rf qtbase && dpkg-source -x qt6-base_6.4.2+dfsg-*.dsc qtbase)
fi

PKG_CONFIG_LIBDIR=/nonexistent cmake -S src/qtbase -B build-qt -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$here/mingw-toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF \
  -DFEATURE_tabletevent=OFF -DFEATURE_sql=OFF -DINPUT_opengl=no -DFEATURE_direct2d=ON \
  -DFEATURE_dbus=OFF -DFEATURE_pkg_config=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF \
  -DFEATURE_brotli=OFF -DFEATURE_openssl=OFF -DFEATURE_network=OFF -DFEATURE_xml=OFF \
  -DFEATURE_concurrent=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF \
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF \
  -DFEATURE_system_jpeg=OFF -DFEATURE_system_doubleconversion=OFF -DFEATURE_freetype=ON \
  -DFEATURE_harfbuzz=ON
ninja -C build-qt Core Gui Widgets PrintSupport Test QWindowsIntegrationPlugin \
  QWindowsVistaStylePlugin QOffscreenIntegrationPlugin
ninja -C build-qt install
# Pobelo shapes vertical text with the HarfBuzz that Qt bundles: keep its headers with the prefix.
mkdir -p "$prefix/include/pobelo-harfbuzz"
cp src/qtbase/src/3rdparty/harfbuzz-ng/src/*.h "$prefix/include/pobelo-harfbuzz/"
touch "$marker"
echo "Qt for Windows: $prefix"
