#!/usr/bin/env bash
# Installs what is needed, builds Pobelo and opens the sample question file in it (or the
# question file given). Without a display (no DISPLAY or WAYLAND_DISPLAY) there is no window to
# show: the script prints the file's first sheet (its first two headings) as a PDF beside it in
# the project folder, named after it (sample.pdf for the sample), tells where, and ends.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOBELO_BUILD_TESTS=OFF
cmake --build build --target pobelo pobelo-sheet
file="${1:-examples/sample.moj}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  pdf="$PWD/$(basename "${file%.*}").pdf"
  # Two headings when the file has them, else the one.
  if [ "$(build/src/sheettool/pobelo-sheet "$file" --list | wc -l)" -ge 2 ]; then
    pages=(--right 1 --left 2)
  else
    pages=(--right 1)
  fi
  build/src/sheettool/pobelo-sheet "$file" "${pages[@]}" -o "$pdf"
  echo "No display found, so no window: the first sheet of $file is in $pdf"
  exit 0
fi
exec build/src/window/pobelo "${@:-examples/sample.moj}"
