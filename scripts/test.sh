#!/usr/bin/env bash
# Installs what is needed, then builds and runs every test twice through CTest: once in a plain
# build (build-test, the default compiler) and once with AddressSanitizer and
# UndefinedBehaviorSanitizer (build-test-asan, clang, with the fuzz targets and their short runs).
# Both runs always happen; the script fails if either had a failing test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

# ccache shares objects between clones of the project in other folders.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
export QT_QPA_PLATFORM=offscreen
# Undefined behaviour stops the program (built without recovery); report it with a stack.
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

# The sources as clang-format writes them; a difference is a failure, reported with the files.
status=0
unformatted=$(git ls-files '*.cpp' '*.h' | while read -r f; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || echo "$f"
done)
if [ -n "$unformatted" ]; then
  echo "Not formatted with clang-format (run clang-format -i on them):" $unformatted >&2
  status=1
fi

# Warnings are errors in both builds.
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOBELO_WERROR=ON
cmake --build build-test
cmake -S . -B build-test-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOBELO_WERROR=ON \
  -DCMAKE_CXX_COMPILER=clang++ -DPOBELO_SANITIZE=ON -DPOBELO_FUZZ=ON
cmake --build build-test-asan

passed=0
failed=0
for build in build-test build-test-asan; do
  echo "=== Tests in $build"
  log="$build/ctest-summary.log"
  if ! (cd "$build" && ctest --output-on-failure --timeout 300) | tee "$log"; then
    status=1
  fi
  # "100% tests passed, 0 tests failed out of 14"
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1 || true)
  if [ -z "$summary" ]; then
    echo "$build: no test summary" >&2
    status=1
    continue
  fi
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$summary")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
done
# The Windows build and its tests under wine, where the Qt for Windows is already built (it takes
# too long to build within a test run: scripts/build-windows.sh builds it once).
windows_qt="${POBELO_WINDOWS_CACHE:-/var/cache/pobelo-windows}/qt-6.4.2-static"
if ls "$windows_qt"/.complete-* >/dev/null 2>&1; then
  echo "=== Windows build and its tests under wine"
  log=build-windows/ctest-summary.log
  mkdir -p build-windows
  if ! bash scripts/build-windows.sh --test 2>&1 | tee "$log"; then
    status=1
  fi
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1 || true)
  if [ -n "$summary" ]; then
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
    bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$summary")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  else
    echo "build-windows: no test summary" >&2
    status=1
  fi
else
  echo "=== Windows build skipped: no Qt for Windows in $windows_qt" \
    "(bash scripts/build-windows.sh builds it once, in about 20 minutes to an hour)"
fi

# Both runs together, as one closing line.
echo "total: $passed passed, $failed failed"
exit $status
