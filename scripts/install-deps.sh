#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need; skips what is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config dpkg-dev
  qt6-base-dev qt6-translations-l10n libsqlite3-dev sqlite3 postgresql-15 libpq-dev libxdo-dev libx11-dev libxtst-dev libxres-dev
  libxdamage-dev libxext-dev libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  xvfb xauth x11-utils openbox fonts-dejavu-core hyperfine xdotool xterm scrot
  weston xwayland qt6-wayland
  systemd
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} > 0)); then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
