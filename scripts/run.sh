#!/usr/bin/env bash
# Installs what is needed, builds Pobelo and opens the sample question file in it.
# Without a display (no DISPLAY or WAYLAND_DISPLAY) the window runs under xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOBELO_BUILD_TESTS=OFF
cmake --build build --target pobelo pobelo-sheet
program=(build/src/app/pobelo "${@:-examples/sample.moj}")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: running under xvfb-run (the window is invisible there)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "${program[@]}"
fi
exec "${program[@]}"
