#!/usr/bin/env bash
# Times the video export of the whole production against the route by hand (every frame as a PNG
# with --from/--to, then the ffmpeg command line at the same codec settings) and prints wall and CPU
# seconds, speed against real time and file sizes side by side. Other work on the machine slows the
# wall times; the CPU seconds show what each route costs.
#   BUILD=build  ARCHIVE=$BUILD/assets/tarnos.zip  BENCH_VIDEO_TO=245 (seconds of production)
set -euo pipefail

BUILD=${BUILD:-build}
ARCHIVE=${ARCHIVE:-$BUILD/assets/tarnos.zip}
TO=${BENCH_VIDEO_TO:-245}
capture=$BUILD/zembravale-capture
for needed in "$capture" "$ARCHIVE"; do
  if [ ! -e "$needed" ]; then
    echo "bench-video: $needed is missing: run 'make build' first" >&2
    exit 1
  fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
TIMEFORMAT='%R %U %S'

# measure NAME COMMAND...: runs it, keeps its stderr in $work/NAME.log and "wall user sys" in $work/NAME.time.
measure() {
  local name=$1
  shift
  if ! { time "$@" >/dev/null 2>"$work/$name.log"; } 2>"$work/$name.time"; then
    echo "bench-video: $name failed:" >&2
    tail -5 "$work/$name.log" >&2
    exit 1
  fi
}
wall() { awk '{print $1}' "$work/$1.time"; }
cpu() { awk '{print $2 + $3}' "$work/$1.time"; }
megabytes() { awk -v b="$(stat -c %s "$1")" 'BEGIN{printf "%.1f", b / 1e6}'; }
row() { # label wall cpu size
  awk -v l="$1" -v w="$2" -v c="$3" -v s="$4" -v t="$TO" \
    'BEGIN{printf "%-34s %8.1f %8.1f %9s %8.2fx\n", l, w, c, s, t / w}'
}

echo "bench-video: exporting ${TO} s of the production ($(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg))"
measure scale1 "$capture" --archive "$ARCHIVE" --video "$work/scale1.mp4" --scale 1 --to "$TO"
measure scale2 "$capture" --archive "$ARCHIVE" --video "$work/scale2.mp4" --to "$TO"

printf '\n%-34s %8s %8s %9s %9s\n' "route" "wall s" "CPU s" "size MB" "speed"
row "export .mp4 --scale 1" "$(wall scale1)" "$(cpu scale1)" "$(megabytes "$work/scale1.mp4")"
row "export .mp4 --scale 2 (default)" "$(wall scale2)" "$(cpu scale2)" "$(megabytes "$work/scale2.mp4")"

if ! command -v ffmpeg >/dev/null 2>&1 || ! command -v python3 >/dev/null 2>&1; then
  echo "(the route by hand needs the ffmpeg command line and python3: apt-get install ffmpeg python3)"
  exit 0
fi
# The same frames as PNGs: the range is inclusive, so stop half a frame short of the end.
last=$(awk -v t="$TO" 'BEGIN{printf "%.6f", t - 0.5 / 60}')
measure png "$capture" --archive "$ARCHIVE" --out "$work/png" --from 0 --to "$last"
python3 -c 'import sys, zipfile; sys.stdout.buffer.write(zipfile.ZipFile(sys.argv[1]).read("rorozuzorozori.mp3"))' \
  "$ARCHIVE" >"$work/music.mp3"
measure cli ffmpeg -nostdin -v error -y -framerate 60 -i "$work/png/frame%07d.png" -i "$work/music.mp3" \
  -map 0:v -map 1:a -t "$TO" -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p -threads 2 \
  -c:a aac -b:a 192k -movflags +faststart "$work/byhand.mp4"
png_bytes=$(du -sb "$work/png" | cut -f1)
row "PNG frames (--from/--to)" "$(wall png)" "$(cpu png)" "$(awk -v b="$png_bytes" 'BEGIN{printf "%.1f", b / 1e6}')"
row "  then ffmpeg CLI, same settings" "$(wall cli)" "$(cpu cli)" "$(megabytes "$work/byhand.mp4")"
row "by hand, total" "$(awk -v a="$(wall png)" -v b="$(wall cli)" 'BEGIN{print a + b}')" \
  "$(awk -v a="$(cpu png)" -v b="$(cpu cli)" 'BEGIN{print a + b}')" "$(megabytes "$work/byhand.mp4")"
