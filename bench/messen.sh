#!/usr/bin/env bash
# Whole-process measurements of the gaeb program on the generated bill
# (bench_lv): CPU time (user + system) and peak resident memory of each
# target row, the median of RUNS runs (default 5).
#   bench/messen.sh [BUILD] [WORK] [SIZES]
# BUILD the build folder (default build), WORK a folder for the bills and
# files (default /tmp/gaeb-messen), SIZES the bill sizes (default "100000").
# Bills and their GAEB files are made once and kept in WORK. Prints one line
# per row: name, median CPU seconds, median peak MiB, and the runs' values.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
work=${2:-/tmp/gaeb-messen}
sizes=${3:-100000}
runs=${RUNS:-5}
gaeb=$build/bin/gaeb
mkdir -p "$work"
cd "$work"

median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# miss NAME COMMAND...: runs the command RUNS times; a failing run stops the script.
miss() {
  local name=$1; shift
  local cpu=() mem=()
  for _ in $(seq "$runs"); do
    /usr/bin/time -f '%U %S %M' -o time.txt "$@" >/dev/null
    read -r u s m <time.txt
    cpu+=("$(echo "$u + $s" | bc)")
    mem+=("$((m / 1024))")
  done
  printf '%-28s %7.2f s CPU %6d MiB   (%s | %s)\n' "$name" \
    "$(printf '%s\n' "${cpu[@]}" | median)" "$(printf '%s\n' "${mem[@]}" | median)" "${cpu[*]}" "${mem[*]}"
}

for n in $sizes; do
  db=lv$n.db
  [ -f "$db" ] || "$build/bin/bench_lv" "$db" "$n"
  exp=(--db "$db" export --type 1 --number "$n" --dp 83 --prices)
  miss "export xml $n" "$gaeb" "${exp[@]}" --format xml --out "lv$n.x83"
  miss "export 2000 $n" "$gaeb" "${exp[@]}" --format 2000 --out "lv$n.p83"
  # GAEB 90 counts the positions in five digits: a bill of 100,000 or more is refused.
  if [ "$n" -lt 100000 ]; then
    miss "export 90 $n" "$gaeb" "${exp[@]}" --format 90 --out "lv$n.d83"
  fi
  miss "show $n" "$gaeb" --db "$db" show --type 1 --number "$n"
  # The import into a database of its own, each run a new document.
  imp=imp$n.db
  if [ ! -f "$imp" ]; then
    "$gaeb" --db "$imp" init >/dev/null
    "$gaeb" --db "$imp" project add --number 1 >/dev/null
  fi
  miss "import xml $n" "$gaeb" --db "$imp" import "lv$n.x83" --type 1 --project 1
  if [ ! -f "rows$n.json" ]; then
    "$gaeb" --db "$imp" import "lv$n.x83" --rows | sed '0,/"Positionstyp": *10/s//"Projektnummer": "1", "Positionstyp": 10/' >"rows$n.json"
  fi
  miss "import-rows $n" "$gaeb" --db "$imp" import-rows "rows$n.json" --type 1
done
