#!/bin/bash
# Installs what the builds, the tests and the program need, from Debian's packages. Idempotent:
# does nothing when everything is there.
set -euo pipefail
packages=(
  cmake ninja-build g++ make googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine64 fonts-wine xvfb xauth x11-utils xdotool imagemagick
  fp-utils zip unzip ccache clang libclang-rt-14-dev clang-tidy cppcheck python3 nlohmann-json3-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq || true
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
