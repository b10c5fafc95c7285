#!/usr/bin/env bash
# Writes the archive with zembravale-assets when it is missing or older than the builder.
# An archive the user supplied (one not made by the builder) is left alone.
set -euo pipefail
build=${1:-build}
archive=${2:-tarnos.zip}
builder="$build/zembravale-assets"
stamp="$build/.assets-made"

if [ ! -x "$builder" ]; then
  [ -f "$archive" ] && exit 0
  echo "error: no $archive here and no asset builder to make one" >&2
  exit 1
fi
if [ -f "$archive" ] && [ ! -f "$stamp" ]; then
  exit 0   # supplied by the user
fi
if [ ! -f "$archive" ] || [ "$builder" -nt "$archive" ]; then
  out=$(dirname "$archive")
  "$builder" --out "$out"
  touch "$stamp"
fi
