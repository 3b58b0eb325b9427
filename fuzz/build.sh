#!/bin/sh
# Builds the fuzz targets of the converter library with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer (not part of the normal
# build). Usage: fuzz/build.sh [OUTPUT_DIR]   (default: build-fuzz/)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build-fuzz}
cxx=${CXX:-clang++}
mkdir -p "$out"
flags="-std=c++20 -g -O1 -Wall -Wextra -fno-omit-frame-pointer
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
  -I$root/src -I$root/fuzz $(xml2-config --cflags)"
quellen="$root/src/gtc/gtc.cpp $root/src/gtc/modell.cpp $root/src/gtc/rtf_leser.cpp
  $root/src/gtc/rtf_schreiber.cpp $root/src/gtc/xml_leser.cpp $root/src/gtc/xml_ereignisse.cpp
  $root/src/gtc/xml_schreiber.cpp
  $root/src/gtc/zeichen.cpp $root/src/gtc/zeilen.cpp $root/src/gtc/codeseiten.cpp"
for ziel in rtf xml zeilen; do
  # shellcheck disable=SC2086
  $cxx $flags $quellen "$root/fuzz/fuzz_$ziel.cpp" $(xml2-config --libs) -o "$out/fuzz_$ziel"
  echo "$out/fuzz_$ziel"
done
# The readers of GAEB files, with the converter code linked in directly.
leser="$root/src/readers/zeilen.cpp $root/src/readers/lvsammler.cpp $root/src/readers/zeichensatz.cpp
  $root/src/readers/gaebleser.cpp $root/src/readers/xml_leser.cpp $root/src/readers/xml_textzeilen.cpp $root/src/readers/gaeb2000_leser.cpp
  $root/src/readers/gaeb90_leser.cpp $root/src/core/positionssatz.cpp $root/src/base/variant.cpp
  $root/src/base/text.cpp $root/src/base/codepage.cpp $root/src/base/zahlformat.cpp"
for ziel in leser_xml leser_2000 leser_90; do
  # shellcheck disable=SC2086
  $cxx $flags $quellen $leser "$root/fuzz/fuzz_$ziel.cpp" $(xml2-config --libs) -o "$out/fuzz_$ziel"
  echo "$out/fuzz_$ziel"
done
# The validate passes of GAEB 90 and GAEB 2000 with their rules on totals.
pruefung="$root/src/checks/pruefung_g90.cpp $root/src/checks/pruefung_g2000.cpp $root/src/checks/pruefung_summen.cpp"
# shellcheck disable=SC2086
$cxx $flags $quellen $leser $pruefung "$root/fuzz/fuzz_pruefung.cpp" $(xml2-config --libs) -o "$out/fuzz_pruefung"
echo "$out/fuzz_pruefung"
