#!/usr/bin/env bash
# The browser tests (or, with "bench", the browser benchmark): installs Debian's Chromium and the
# test's npm packages when missing, then runs them with node against the built site.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v chromium >/dev/null 2>&1; then
  echo "Installing: chromium"
  if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends chromium
fi
# The packages are pinned in package.json and package-lock.json; installed once, beside them.
if [ ! -d Tests/Web/node_modules/playwright-core ] || [ ! -d Tests/Web/node_modules/pngjs ]; then
  (cd Tests/Web && npm ci --no-audit --no-fund --silent)
fi

if [ "${1:-}" = bench ]; then
  exec node Tests/Web/bench.mjs
fi
exec node --test --test-concurrency=1 Tests/Web/
