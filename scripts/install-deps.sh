#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Pobelo need. Run as root.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config ccache
  clang clang-format libclang-rt-14-dev llvm libbenchmark-dev
  qt6-base-dev qt6-tools-dev qt6-l10n-tools libharfbuzz-dev libfontconfig-dev
  fonts-ipafont fonts-ipaexfont fonts-klee qt6-translations-l10n
  fonts-morisawa-bizud-mincho fonts-morisawa-bizud-gothic
  xvfb xauth poppler-utils
  # Readings: MeCab and its UTF-8 IPA dictionary; KANJIDIC2, which the kanji table is checked
  # against (and generated from).
  libmecab-dev mecab-ipadic-utf8 kanjidic-xml
  # Test tools: qpdf checks the PDFs written, fiu-utils makes the system calls of a write fail.
  qpdf fiu-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
