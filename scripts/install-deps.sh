#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Idempotent and non-interactive: packages already present are skipped.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libpcre3-dev libcrypto++-dev libjpeg62-turbo-dev zlib1g-dev duktape-dev
  qt6-base-dev libasound2-dev libfontconfig-dev
  fonts-liberation fonts-dejavu-core
  nginx tinyproxy
  locales
  xvfb xauth x11-utils x11-xkb-utils x11-xserver-utils xdotool imagemagick libjpeg-turbo-progs xdg-utils libx11-dev
  libgif-dev libxml2-dev
  libpsl-dev publicsuffix
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

# The collation tests sort in an English and a French locale; a clean machine
# has neither until they are listed in /etc/locale.gen and generated.
ensure_locales() {
  local wanted=(en_US.UTF-8 fr_FR.UTF-8) absent=() name
  for name in "${wanted[@]}"; do
    locale -a 2>/dev/null | grep -qix "${name/UTF-8/utf8}" || absent+=("$name")
  done
  [ ${#absent[@]} -eq 0 ] && return 0
  for name in "${absent[@]}"; do
    if grep -qE "^# *${name} UTF-8" /etc/locale.gen 2>/dev/null; then
      $SUDO sed -i -E "s/^# *(${name} UTF-8)/\\1/" /etc/locale.gen
    elif ! grep -qE "^${name} UTF-8" /etc/locale.gen 2>/dev/null; then
      echo "${name} UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
  done
  $SUDO locale-gen >/dev/null
}

if [ ${#missing[@]} -eq 0 ]; then
  ensure_locales
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
# Package scripts must not start the system-wide nginx or tinyproxy: the tests
# run their own instances on loopback ports.
policy=/usr/sbin/policy-rc.d
created_policy=0
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' | $SUDO tee "$policy" >/dev/null
  $SUDO chmod +x "$policy"
  created_policy=1
fi
trap '[ $created_policy -eq 1 ] && $SUDO rm -f "$policy"' EXIT
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
ensure_locales
