#!/usr/bin/env bash
# Installs what is missing, builds, and starts a program of the family
# (default KlangtruhePlayer; name another: scripts/run.sh Datenbank).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ $# -gt 0 ]; then
  program="$1"; shift
  exec "build/bin/$program" "$@"
fi
if [ -x build/bin/KlangtruhePlayer ]; then
  exec build/bin/KlangtruhePlayer
fi
# Until the player exists: start every program that does.
pids=()
for p in Datenbank Ordnerwacht Diskolo Fernsicht Prueflotse; do
  if [ -x "build/bin/$p" ]; then "build/bin/$p" & pids+=($!); fi
done
[ ${#pids[@]} -gt 0 ] && wait "${pids[@]}"
