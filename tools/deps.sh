#!/usr/bin/env bash
# Installs with apt-get whatever the build and the tests need and is missing.
# Usage: tools/deps.sh [run|test]
set -euo pipefail
what=${1:-test}

pkgs=(cmake ninja-build g++ python3 g++-mingw-w64-x86-64 wine wine64 xvfb
      fonts-wqy-microhei)
if [ "$what" = test ]; then
  pkgs+=(libgtest-dev googletest pulseaudio pulseaudio-utils sox lame imagemagick
         faketime x11-utils xdotool)
else
  pkgs+=(pulseaudio pulseaudio-utils)
fi

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
