#!/usr/bin/env bash
# The browser tests (or, with "bench", the browser benchmark): installs Debian's Chromium and the
# test's npm packages when missing, then runs them with node against the built site.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh chromium
# The packages are pinned in package.json and package-lock.json; installed once, beside them.
if [ ! -d Tests/Web/node_modules/playwright-core ] || [ ! -d Tests/Web/node_modules/pngjs ]; then
  (cd Tests/Web && npm ci --no-audit --no-fund --silent)
fi

if [ "${1:-}" = bench ]; then
  exec node Tests/Web/bench.mjs
fi
exec node --test --test-concurrency=1 Tests/Web/
