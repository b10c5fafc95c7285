#!/usr/bin/env bash
# Runs every fuzz target for FUZZ_SECONDS (default 60) on its corpus, one after another, and prints
# one summary line per target: executions per second, corpus size, edges covered, findings.
#   scripts/fuzz.sh <fuzz build folder> [target...]
# The corpus grows in <build>/corpus/<target> (seeded from <build>/seeds/<target>); a crash, leak,
# timeout (over 10 s for one input) or out-of-memory (over 2 GB) leaves its input in
# <build>/findings/ and makes the script exit 1 after the remaining targets ran.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/fuzz.sh <fuzz build folder> [target...]}
shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(archive picture script mp3 capture-options)
seconds=${FUZZ_SECONDS:-60}
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-allocator_may_return_null=1}"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null SDL_DISKAUDIODELAY=0
mkdir -p "$build/findings" "$build/logs"
failed=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  mkdir -p "$corpus"
  log="$build/logs/$t.log"
  extra=()
  # The image library leaks a little on every picture it fails to decode (suppressed, see
  # lsan.supp); checking each such input for leaks would cut the speed fivefold. Leaks of our own
  # still show in the check at the end of the run.
  [ "$t" = picture ] && extra=(-detect_leaks=0)
  "$build/fuzz-$t" "$corpus" "$build/seeds/$t" -dict="Fuzz/$t.dict" -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$t-" "${extra[@]}" >"$log" 2>&1
  status=$?
  # The last status line: "#N DONE cov: E ft: F corp: C/S ... exec/s: X rss: R".
  last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  execs=$(grep -oE 'exec/s: [0-9]+' <<<"$last" | tail -1 | cut -d' ' -f2)
  edges=$(grep -oE 'cov: [0-9]+' <<<"$last" | cut -d' ' -f2)
  corp=$(grep -oE 'corp: [0-9]+/[0-9]+[a-zA-Z]*' <<<"$last" | cut -d' ' -f2)
  findings=$(ls "$build/findings" 2>/dev/null | grep -c "^$t-" || true)
  printf '%-15s %4ss  exec/s %-6s edges %-6s corpus %-12s findings %s\n' \
    "$t" "$seconds" "${execs:-?}" "${edges:-?}" "${corp:-?}" "$findings"
  if [ $status -ne 0 ]; then
    echo "fuzz-$t stopped with status $status; see $log" >&2
    failed=1
  fi
done
exit $failed
