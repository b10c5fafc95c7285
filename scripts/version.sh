#!/usr/bin/env bash
# Prints this tree's version for release archives and packages: the VERSION file where there is
# one (a tree unpacked without git), else the newest v-tag from git describe, else 0.1.0 with the
# commit count and hash. Every form starts with a digit, as Debian's package versions must.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -f VERSION ]; then
  read -r v < VERSION
  printf '%s\n' "$v"
elif v=$(git describe --tags --match 'v[0-9]*' 2>/dev/null); then
  printf '%s\n' "${v#v}"
elif hash=$(git rev-parse --short HEAD 2>/dev/null); then
  printf '0.1.0+%s.g%s\n' "$(git rev-list --count HEAD)" "$hash"
else
  echo 0.1.0
fi
