#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, when any is missing.
# Needs root (or sudo) only when something has to be installed.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  libsqlite3-dev sqlite3
  postgresql libpq-dev
  libxml2-dev libxml2-utils
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev
  libmuparser-dev
  libxlsxwriter-dev libzip-dev python3-openpyxl
  clang libclang-rt-14-dev
  help2man
  chromium poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
