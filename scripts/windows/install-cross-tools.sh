#!/usr/bin/env bash
# Installs Debian's tools for building, testing and packaging Pobelo for Windows. Run as root.
set -euo pipefail
packages=(
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine nsis ninja-build cmake zip dpkg-dev
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  xvfb xauth fonts-klee fonts-ipaexfont poppler-utils python3 mecab-ipadic-utf8
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
