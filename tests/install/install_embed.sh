#!/usr/bin/env bash
# install_embed.sh BUILD-DIR EXAMPLE-DIR CXX [COMPILER-LAUNCHER]
# Installs BUILD-DIR into a fresh prefix, then, from that prefix alone:
# runs the installed program (its converter library must be found beside it),
# builds the embedding example with find_package(gaeb) and runs it, and
# compiles every installed header with the pkg-config flags and links a host.
set -euo pipefail
build=$1 beispiel=$2 cxx=$3 launcher=${4:-}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log"; fail "cmake --install"; }

# The installed program, called through its link in bin/.
"$prefix/bin/gaeb" --version | grep -qx "gaeb [0-9.]*" || fail "gaeb --version"
xml=$(printf '{\\rtf1 Beton {\\b C25/30}}' | "$prefix/bin/gaeb" text --from rtf --to xml --kind L) ||
  fail "the installed gaeb cannot convert a text (converter library not beside the program?)"
[[ $xml == *"C25/30"* ]] || fail "gaeb text gave: $xml"
if [ -e "$build/package/gaeb.1" ]; then  # not made when configured with GAEB_MANPAGE=OFF
  grep -q '^\.SS "gaeb export"' "$prefix/share/man/man1/gaeb.1" || fail "man page without the export command"
fi
grep -q -- '"export") echo ".*--format' "$prefix/share/bash-completion/completions/gaeb" ||
  fail "bash completion without the export options"

# The example, against the installed CMake package only.
cmake -S "$beispiel" -B "$tmp/embed" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER="$cxx" \
  ${launcher:+-DCMAKE_CXX_COMPILER_LAUNCHER="$launcher"} >"$tmp/configure.log" 2>&1 ||
  { cat "$tmp/configure.log"; fail "configure the example"; }
grep -q "^gaeb_DIR:PATH=$prefix/" "$tmp/embed/CMakeCache.txt" || fail "the example found another gaeb package"
cmake --build "$tmp/embed" >"$tmp/build.log" 2>&1 || { cat "$tmp/build.log"; fail "build the example"; }
(cd "$tmp" && "$tmp/embed/gaeb-embed" "$tmp/beispiel.db" "$tmp/aus") >"$tmp/lauf.log" 2>&1 ||
  { cat "$tmp/lauf.log"; fail "run the example"; }
cat "$tmp/lauf.log"
grep -q '^Beleg 1/[0-9]* gespeichert$' "$tmp/lauf.log" || fail "no document stored"
[ "$(grep -c '^  Schritte: [1-9]' "$tmp/lauf.log")" = 2 ] || fail "FortschrittMax not raised once per export"
[ "$(grep -c '^  Fortschritt: +10 ' "$tmp/lauf.log")" -ge 2 ] || fail "Fortschritt not raised in each export"
grep -q 'C25/30' "$tmp/lauf.log" || fail "no text conversion"
grep -aq '\[OZ\]01010020\[end\]' "$tmp/aus/werkhalle.p83" || fail "position missing in the GAEB 2000 file"
grep -aq 'Baugrube ausheben' "$tmp/aus/werkhalle.d83" || fail "position missing in the GAEB 90 file"
if grep -q '^Meldung:' "$tmp/lauf.log"; then fail "the component reported a message"; fi

# pkg-config: every installed header compiles with its flags alone, and a host links.
pc=$(dirname "$(find "$prefix" -name gaeb.pc)")
export PKG_CONFIG_PATH=$pc
{
  (cd "$prefix/include" && find gaeb -name '*.h' | sort | sed 's/.*/#include <&>/')
  echo 'int main() { gaeb::clsGaebSQL k(gaeb::host::NeueFabrik()); return k.OZMaske_Stufen("1122PPPPI") == "22041" ? 0 : 1; }'
} >"$tmp/alle.cpp"
# shellcheck disable=SC2046
$launcher "$cxx" -std=c++20 $(pkg-config --cflags gaeb) "$tmp/alle.cpp" -o "$tmp/alle" $(pkg-config --libs gaeb) ||
  fail "compile and link with pkg-config"
"$tmp/alle" || fail "the pkg-config host gave a wrong OZ level count"
echo "install, example and pkg-config: ok"
