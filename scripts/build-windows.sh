#!/usr/bin/env bash
# Builds Pobelo for 64-bit Windows on Debian 12, as root, from the project folder:
#   bash scripts/build-windows.sh          the programs, dist/pobelo-VERSION-windows-x64.zip and
#                                          dist/pobelo-VERSION-setup.exe
#   bash scripts/build-windows.sh --test   the same, then every test that needs no display, run
#                                          under wine
# The first run builds a static Qt for Windows from Debian's source into a cache folder outside
# the project ($POBELO_WINDOWS_CACHE, default /var/cache/pobelo-windows): about 20 minutes on two
# idle cores, an hour on busy ones; and a static MeCab (two minutes). Later runs reuse them.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
run_tests=0
[ "${1:-}" = "--test" ] && run_tests=1

bash scripts/windows/build-qt.sh
bash scripts/windows/build-mecab.sh
cache="${POBELO_WINDOWS_CACHE:-/var/cache/pobelo-windows}"
qt="$cache/qt-6.4.2-static"
mecab="$cache/mecab-0.996-static"
build="${POBELO_WINDOWS_BUILD:-$root/build-windows}"
export WINEPREFIX="${WINEPREFIX:-$cache/wineprefix}" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/scripts/windows/mingw-toolchain.cmake" -DQT_WINDOWS_PREFIX="$qt" \
  -DCMAKE_PREFIX_PATH="$qt" -DMECAB_INCLUDE_DIR="$mecab/include" \
  -DMECAB_LIBRARY="$mecab/lib/libmecab.a" -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_CROSSCOMPILING_EMULATOR=wine -DPOBELO_BUILD_TESTS=$([ $run_tests = 1 ] && echo ON || echo OFF) \
  -DPOBELO_WERROR=ON
cmake --build "$build"

version=$(sed -n 's/^project(Pobelo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
bash scripts/windows/package.sh "$build" "$version"

status=0
if [ $run_tests = 1 ]; then
  # wine makes its prefix on first use; a fresh one for the tests says nothing of the user's.
  # Its processes end before the tests: those left running outside the tests' display would own
  # the desktop, and no test could show a window or open a console.
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
  # Windows' own platform, which the tests use for the system's fonts, needs wine's display. The
  # window tests (test_mainwindow_design, test_mainwindow_events) pass under wine by themselves
  # but not reliably beside the others on a busy machine: run them with
  # POBELO_WINDOWS_WINDOW_TEST=1.
  exclude='^test_mainwindow_(design|events)$'
  [ "${POBELO_WINDOWS_WINDOW_TEST:-0}" = 1 ] && exclude='^$'
  (cd "$build" && xvfb-run -a ctest --output-on-failure --timeout 300 -j2 -E "$exclude") || status=1
fi
exit $status
