#!/bin/bash
# Installs what building, testing and releasing the launcher needs on
# Debian 12, when it is missing, and says so in one line first. Quick when
# everything is there already.
set -euo pipefail

packages=(
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  gcc-mingw-w64-x86-64-posix gcc-mingw-w64-i686-posix
  cmake make wine wine64 libwine libgnutls30 libboost1.81-dev googletest
  xvfb xauth x11-utils imagemagick fonts-ipafont-gothic locales python3
  tinyproxy openssl osslsigncode curl procps util-linux debootstrap
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Nothing running is stopped, disabled or killed: a service that a package
# starts (tinyproxy on port 8888) is left alone, since the tests start their
# own servers with their own settings on free ports.
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup-machine: installing with apt-get: ${missing[*]}"
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

# Wine reports ANSI code page 932 only when the Japanese locale exists.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
  echo "setup-machine: generating the ja_JP.UTF-8 locale"
  sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen
fi
