#!/usr/bin/env bash
# Links check.cpp against the wasm libraries web-deps.sh built and runs it under node.
#   bash scripts/web-deps/check.sh [BUILD_WEB_DIR]        (default build-web)
# The include lines and the link order are the ones the program's web build uses.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=$(cd "${1:-build-web}" && pwd)
deps=$out/deps
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

mkdir -p "$out/check"
# Node 20's fetch confuses this emscripten's loader: build for node only.
em++ -O2 -std=c++17 -I"$deps/include" "$here/check.cpp" -o "$out/check/check.js" \
  -L"$deps/lib" -lpng16 -ljpeg -lminizip -lz -ltinyxml -lmpg123 -lkissfft-float \
  -sENVIRONMENT=node -sWASM_ASYNC_COMPILATION=0 -sALLOW_MEMORY_GROWTH=1
node "$out/check/check.js"
