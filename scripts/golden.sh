#!/usr/bin/env bash
# Records the SHA-256 values of the export bytes anew (tests/data/golden/exporte.txt)
# from the code of the given build folder: scripts/golden.sh [BUILD]
# Run it on a build of code whose bytes are known to be right, never on a
# change that is meant to keep them; then look at the diff of the file.
# With GAEB_GOLDEN_DATEIEN=FOLDER the masked export files are kept in FOLDER
# by name: run it before and after a change and compare the two folders with
# diff -r to see what changed in the bytes.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
neu=$(mktemp -d)
trap 'rm -rf "$neu"' EXIT
[ -n "${GAEB_GOLDEN_DATEIEN:-}" ] && mkdir -p "$GAEB_GOLDEN_DATEIEN"
GAEB_GOLDEN_NEU=$neu "$build/bin/test_cli" --gtest_filter='*Goldbytes*' >/dev/null
sort "$neu"/*.txt >tests/data/golden/exporte.txt
wc -l tests/data/golden/exporte.txt
