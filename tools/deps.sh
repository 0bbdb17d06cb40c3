#!/usr/bin/env bash
# Installs with apt-get whatever the build and the tests need and is missing,
# and generates the Chinese locale the program runs in under Wine.
# Usage: tools/deps.sh [run|package|test]
set -euo pipefail
what=${1:-test}

# Wine only recommends the packages below, and we install without
# recommendations, so each is named:
#   gstreamer1.0-plugins-base/-good  MCI's mpegvideo device decodes through
#                     GStreamer; the program falls back to it for MP3 files
#                     its own ACM path cannot decode
#   fonts-wine        Marlett: without it title-bar buttons show as letters
#   locales           zh_CN.UTF-8, so that Wine shows 确定 and a Chinese
#                     calendar, as the Chinese Windows the program is made for
pkgs=(cmake ninja-build g++ python3 g++-mingw-w64-x86-64 wine wine64 xvfb
      fonts-wqy-microhei fonts-wine locales
      pulseaudio pulseaudio-utils gstreamer1.0-plugins-base gstreamer1.0-plugins-good)
# nsis: makensis builds the Windows installer (tools/package.sh); the tests
# install and uninstall it under Wine.
if [ "$what" = package ] || [ "$what" = test ]; then
  pkgs+=(nsis)
fi
# unzip: the package test lists the portable zip's names as a user's tool shows them.
if [ "$what" = test ]; then
  pkgs+=(unzip)
  pkgs+=(libgtest-dev googletest sox lame imagemagick faketime x11-utils xdotool)
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

if ! locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
  echo "Generating the zh_CN.UTF-8 locale"
  sed -i 's/^# *\(zh_CN\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN\.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
