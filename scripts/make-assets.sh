#!/usr/bin/env bash
# Generates tarnos.zip with zembravale-assets when it is missing, or when the builder changed
# since it made the archive there. An archive the builder did not make (one a user put there) is
# never overwritten: the stamp remembers the checksum of what the builder wrote.
set -euo pipefail
build=${1:-build}
archive=${2:-tarnos.zip}
builder="$build/zembravale-assets"
stamp="$build/.assets-made"

if [ -f "$archive" ]; then
  current=$(sha256sum "$archive" | cut -d' ' -f1)
  made=$(cat "$stamp" 2>/dev/null || true)
  if [ "$current" != "$made" ]; then
    exit 0  # supplied by the user
  fi
  if [ ! "$builder" -nt "$archive" ]; then
    exit 0  # up to date
  fi
fi
if [ ! -x "$builder" ]; then
  echo "error: no $archive here and no asset builder to make one" >&2
  exit 1
fi
echo "Generating $archive ..."
"$builder" --out "$(dirname "$archive")"
sha256sum "$archive" | cut -d' ' -f1 > "$stamp"
