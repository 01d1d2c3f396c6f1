#!/bin/bash
# Installs what building and testing the launcher needs on Debian 12, when
# it is missing. Quick when everything is there already.
set -euo pipefail

packages=(
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  gcc-mingw-w64-x86-64-posix gcc-mingw-w64-i686-posix
  cmake make wine wine64 libwine libgnutls30 libboost1.81-dev googletest
  xvfb xauth x11-utils imagemagick fonts-ipafont-gothic locales python3
  tinyproxy openssl curl procps util-linux
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  # The distribution starts a proxy service of its own; the tests start theirs.
  systemctl disable --now tinyproxy >/dev/null 2>&1 || true
  pkill -x tinyproxy 2>/dev/null || true
fi

# Wine reports ANSI code page 932 only when the Japanese locale exists.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen
fi
