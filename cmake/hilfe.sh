#!/usr/bin/env bash
# Makes the man page gaeb.1 and the bash completion gaeb.bash from the help the
# program prints (gaeb --help, gaeb COMMAND --help, ...), so neither can fall
# behind the commands the program has.
#   hilfe.sh PATH/TO/gaeb OUTPUT-FOLDER
# With HELP2MAN set (the path of help2man) the man page is made too.
set -euo pipefail
# Called by its name, so that the usage lines say "gaeb".
PATH=$(cd "$(dirname "$1")" && pwd):$PATH
gaeb=gaeb
aus=$2
mkdir -p "$aus"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Sections of one help text, printed as "SECTION<TAB>NAME<TAB>TAKES-VALUE" per entry:
# "Options:" entries ("-h,--help", "--type INT REQUIRED") and "Subcommands:" entries.
eintraege() {
  awk '
    /^[A-Z][A-Za-z ]*:$/ { abschnitt = $0; next }
    /^  [^ ]/ {
      if (abschnitt == "Options:") {
        n = split($1, namen, ",")
        # "--type INT REQUIRED", "--dp INT=83": a type after one blank takes a value.
        wert = ($0 ~ /^  [^ ]+ [A-Z]/) ? 1 : 0
        for (i = 1; i <= n; i++) print "O\t" namen[i] "\t" wert
      } else if (abschnitt == "Subcommands:") {
        print "S\t" $1 "\t0"
      }
    }'
}

# Walks the command tree: for every command path, its help text, its options and subcommands.
pfade=("")
i=0
while [ $i -lt ${#pfade[@]} ]; do
  pfad=${pfade[$i]}
  # shellcheck disable=SC2086
  "$gaeb" $pfad --help >"$tmp/hilfe.$i" 2>&1
  eintraege <"$tmp/hilfe.$i" >"$tmp/eintraege.$i"
  while IFS=$'\t' read -r art name wert; do
    if [ "$art" = S ]; then pfade+=("${pfad:+$pfad }$name"); fi
  done <"$tmp/eintraege.$i"
  i=$((i + 1))
done
if [ ${#pfade[@]} -lt 2 ]; then
  echo "hilfe.sh: $gaeb --help lists no commands" >&2
  exit 1
fi

# --- bash completion
{
  echo "# bash completion for gaeb, made from the program's help"
  echo "_gaeb() {"
  echo '  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} pfad="" w i unter'
  echo '  # The command path typed so far: every word that names a subcommand of the path before it.'
  echo '  for ((i = 1; i < COMP_CWORD; i++)); do'
  echo '    w=${COMP_WORDS[i]}'
  echo '    unter=$(_gaeb_unter "$pfad")'
  echo '    if [[ " $unter " == *" $w "* ]]; then pfad="${pfad:+$pfad }$w"; fi'
  echo '  done'
  echo '  # An option that takes a value: complete file names.'
  echo '  if [[ " $(_gaeb_mitwert "$pfad") " == *" $prev "* ]]; then COMPREPLY=(); return; fi'
  echo '  COMPREPLY=($(compgen -W "$(_gaeb_unter "$pfad") $(_gaeb_optionen "$pfad")" -- "$cur"))'
  echo "}"
  for funktion in unter optionen mitwert; do
    echo "_gaeb_$funktion() {"
    echo '  case "$1" in'
    for i in "${!pfade[@]}"; do
      case $funktion in
        unter) woerter=$(awk -F'\t' '$1 == "S" { print $2 }' "$tmp/eintraege.$i") ;;
        optionen) woerter=$(awk -F'\t' '$1 == "O" { print $2 }' "$tmp/eintraege.$i") ;;
        mitwert) woerter=$(awk -F'\t' '$1 == "O" && $3 == 1 { print $2 }' "$tmp/eintraege.$i") ;;
      esac
      echo "    \"${pfade[$i]}\") echo \"$(echo $woerter)\" ;;"
    done
    echo "  esac"
    echo "}"
  done
  echo "complete -o default -F _gaeb gaeb"
} >"$aus/gaeb.bash"

# --- man page
if [ -n "${HELP2MAN:-}" ]; then
  {
    echo "[COMMANDS]"
    for i in "${!pfade[@]}"; do
      [ -n "${pfade[$i]}" ] || continue
      echo ".SS \"gaeb ${pfade[$i]}\""
      echo ".nf"
      sed -e 's/\\/\\e/g' -e "s/^\([.']\)/\\\\\&\1/" "$tmp/hilfe.$i"
      echo ".fi"
    done
    cat <<'EOF'
[ENVIRONMENT]
.TP
.B GAEB_DB
The database when --db is not given (default: sqlite:gaeb.db in the current folder).
.TP
.B GAEB_XSD
The folder of the GAEB DA XML schema files that gaeb validate checks a file against when --schemas is
not given.
[EXIT STATUS]
0 when the work was done; 1 when the component refused it (its messages are printed on standard
error, one a line); 2 for a usage error. gaeb validate: 0 without findings, 1 with findings, 2 when
the file cannot be read; gaeb diff: 1 when the bills differ.
[FILES]
.TP
.I gtcConverterV31.so
The text converter library through which texts in RTF and XML are converted. It lies beside the
program; the installed bin/gaeb is a link to the program in that folder.
[SEE ALSO]
The documentation in share/doc/gaeb of the installation, /usr/share/doc/gaeb from the Debian package
(cli.md: every command; formats.md: the files written; embedding.md: linking the component).
EOF
  } >"$tmp/zusatz.h2m"
  "$HELP2MAN" --no-info --no-discard-stderr --name "GAEB data exchange for the host database" \
    --section 1 --include "$tmp/zusatz.h2m" --output "$aus/gaeb.1" "$gaeb"
fi
