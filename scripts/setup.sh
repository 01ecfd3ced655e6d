#!/usr/bin/env bash
# Installs, with apt-get, whatever of the build and test tools this Debian
# machine lacks. Does nothing when everything is there.
set -euo pipefail
packages=(
  cmake ninja-build gcc g++ clang libclang-rt-14-dev clang-format
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  wine wine64 fonts-wine locales util-linux
  xvfb xauth imagemagick x11-apps x11-utils fonts-liberation fonts-dejavu-core librsvg2-bin lirc
  gcc-avr binutils-avr avr-libc simavr libsimavr-dev
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
