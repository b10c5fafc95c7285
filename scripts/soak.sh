#!/usr/bin/env bash
# The soak: the real program, in real time, for the whole production, in an Xvfb window with SDL's
# disk audio driver at its own real-time pace, while busy loops keep every core loaded. Writes a
# report with the program's own figures (ZEMBRAVALE_STATS=1) and exits 1 when the run failed or the
# music clock was not monotonic.
#   scripts/soak.sh <build folder>     (needs <build>/zembravale and <build>/assets/tarnos.zip)
# SOAK_LOADERS busy loops (default: one per core), SOAK_LOAD_NICE their niceness (default 0).
set -uo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:?usage: scripts/soak.sh <build folder>}" && pwd)
report="$build/soak-report.txt"
loaders=${SOAK_LOADERS:-$(nproc)}
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# An X server on a display number it picks itself.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 640x480x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 10 -u "$displayfd" display || { echo "soak: Xvfb did not start" >&2; exit 1; }

for _ in $(seq "$loaders"); do
  nice -n "${SOAK_LOAD_NICE:-0}" bash -c 'while :; do :; done' &
  pids+=($!)
done

started=$(date +%s.%N)
(
  cd "$build/assets" &&
    env -u SDL_DISKAUDIODELAY DISPLAY=":$display" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null \
      ZEMBRAVALE_STATS=1 /usr/bin/time -f 'peak memory %M KiB, cpu user %U s, system %S s' \
      timeout 600 "$build/zembravale" >"$work/out.log" 2>"$work/err.log"
)
status=$?
ended=$(date +%s.%N)

{
  echo "soak of $(git rev-parse --short HEAD 2>/dev/null) on $(date -u '+%F %T') UTC, $(nproc) cores"
  echo "load: $loaders busy loops at nice ${SOAK_LOAD_NICE:-0}, load average $(cut -d' ' -f1-3 /proc/loadavg)"
  awk -v a="$started" -v b="$ended" -v s="$status" 'BEGIN { printf "wall time %.1f s, exit status %d\n", b - a, s }'
  grep -E '^stats: ' "$work/err.log" || echo "no figures: the program did not reach its end"
  grep -E '^peak memory' "$work/err.log"
  echo "other lines on stderr:"
  grep -vE '^(stats: |peak memory)' "$work/err.log" | head -20
} >"$report"
cat "$report"
[ $status -eq 0 ] && grep -q 'stats: music clock monotonic' "$report"
