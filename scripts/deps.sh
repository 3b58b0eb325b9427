#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, when any is missing;
# with --demo only those the program needs.
# Needs root (or sudo) only when something has to be installed.
set -euo pipefail

# What the program itself needs to build: `make demo` installs only these
# (scripts/deps.sh --demo), which keeps a first run short.
program_packages=(
  cmake ninja-build g++ make pkg-config
  libsqlite3-dev libpq-dev libxml2-dev
  libcli11-dev nlohmann-json3-dev
  libmuparser-dev libxlsxwriter-dev libzip-dev
)
# What the tests, benchmarks and the man page need on top.
test_packages=(
  sqlite3 postgresql libxml2-utils
  libgtest-dev libgmock-dev libbenchmark-dev
  python3-openpyxl
  clang libclang-rt-14-dev
  help2man
  chromium poppler-utils
)

case "${1:-}" in
  --demo) packages=("${program_packages[@]}") ;;
  "") packages=("${program_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [--demo]" >&2; exit 2 ;;
esac

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
