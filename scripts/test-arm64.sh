#!/usr/bin/env bash
# The arm64 build under qemu, against the native build: the Render, Data, Sync and Parts suites; the
# archive the arm64 asset builder wrote against the native one; the capture tool's frames at 25
# moments across the intro, part one and part two against the native frames from the same archive;
# a headless run of the player from 230 s to the end. Every comparison is byte for byte but that of a
# few pictures' edge pixels, which Debian's arm64 cairo and pixman round otherwise (see the archive).
#   BUILD=build ARM_BUILD=build-arm64 bash scripts/test-arm64.sh     (after make build and make arm64)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD:-build}
arm=${ARM_BUILD:-build-arm64}
tree=$(realpath "$arm/deps/tree")
# binfmt_misc may be missing: every arm64 program is started through the emulator itself.
qemu=(qemu-aarch64-static -L "$tree")
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null SDL_DISKAUDIODELAY=0
work=$arm/test-arm64
rm -rf "$work"
mkdir -p "$work"
failed=0
fail() {
  echo "test-arm64: FAILED: $*" >&2
  failed=1
}

step() {
  local start=$SECONDS
  echo "--> $*"
  "$@" || return
  echo "--> $* ($((SECONDS - start)) s)"
}

# The suites run from the build folder, as ctest runs them.
for suite in render data sync parts; do
  (cd "$arm" && step "${qemu[@]}" ./zembravale-tests-$suite --gtest_brief=1) || fail "the $suite suite"
done

# The archive: the same members in the same order; the sync scripts and the music equal byte for
# byte. Debian's arm64 cairo and pixman are compiled with GCC's default contraction of a*b+c into
# one fused multiply-add, which rounds once where x86-64 rounds twice: a few edge pixels of some
# pictures come out one or two levels apart (the same sources built with -ffp-contract=off draw all
# of them equal). A picture may differ only that way: in at most 1% of its pixels, by at most 16
# levels. A moved shape, another font face or other hinting differs in far more.
if cmp -s "$build/assets/tarnos.zip" "$arm/assets/tarnos.zip"; then
  echo "archive: the arm64 tarnos.zip equals the native one ($(stat -c %s "$arm/assets/tarnos.zip") bytes)"
else
  python3 - "$build/assets/tarnos.zip" "$arm/assets/tarnos.zip" "$work/pictures" <<'PY' || fail "the arm64 archive"
import os, subprocess, sys, zipfile
a, b = (zipfile.ZipFile(p) for p in sys.argv[1:3])
scratch = sys.argv[3]
os.makedirs(scratch, exist_ok=True)
names = [i.filename for i in a.infolist()]
if names != [i.filename for i in b.infolist()]:
    sys.exit("archive: the arm64 archive holds other members")
differ = [n for n in names if a.read(n) != b.read(n)]
bad = [n for n in differ if not n.endswith((".png", ".jpg"))]
if bad:
    sys.exit(f"archive: the scripts or the music differ: {bad}")

def pixels(data, name):
    # netpbm decodes both formats to 8-bit RGB: P6, width, height, 255, then the samples.
    path = os.path.join(scratch, os.path.basename(name))
    with open(path, "wb") as f:
        f.write(data)
    tool = "pngtopnm" if name.endswith(".png") else "jpegtopnm"
    out = subprocess.run([tool, path], check=True, capture_output=True).stdout
    fields = out.split(maxsplit=4)
    return (int(fields[1]), int(fields[2])), fields[4]

print(f"archive: scripts and music equal; {len(names) - len(differ)} of {len(names)} members equal, "
      f"{len(differ)} pictures by rounding:")
worse = []
for n in differ:
    (size_a, pa), (size_b, pb) = pixels(a.read(n), n), pixels(b.read(n), n)
    if size_a != size_b:
        worse.append(f"{n}: {size_b} instead of {size_a}")
        continue
    count = size_a[0] * size_a[1]
    moved = [max(abs(pa[i + k] - pb[i + k]) for k in range(3)) for i in range(0, 3 * count, 3)
             if pa[i:i + 3] != pb[i:i + 3]]
    line = f"{n}: {len(moved)} of {count} pixels, by up to {max(moved)}"
    print("   " + line)
    if len(moved) * 100 > count or max(moved) > 16:
        worse.append(line)
if worse:
    sys.exit("archive: pictures that differ by more than rounding: " + "; ".join(worse))
PY
fi

# One run renders every frame up to the last moment: the whole production, timed on both sides in
# processor seconds (user and system), which other work on the machine disturbs less than the clock.
moments=$(seq 3 10 243)
archive=$(realpath "$build/assets/tarnos.zip")
TIMEFORMAT='%U %S'
native_s=$({ time "$build/zembravale-capture" --archive "$archive" --out "$work/native" --at $moments \
  >/dev/null 2>&1; } 2>&1 | awk '{ print $1 + $2 }')
arm_s=$({ time "${qemu[@]}" "$arm/zembravale-capture" --archive "$archive" --out "$work/arm64" --at $moments \
  >/dev/null 2>&1 || echo failed >&2; } 2>&1 | awk '/failed/ { bad = 1 } !/failed/ { print $1 + $2 } END { exit bad }') ||
  fail "the arm64 capture tool"
same=0
for png in "$work/native"/*.png; do
  if cmp -s "$png" "$work/arm64/$(basename "$png")"; then
    same=$((same + 1))
  else
    fail "frame $(basename "$png") differs"
  fi
done
echo "frames: $same of $(ls "$work/native"/*.png | wc -l) equal; whole production rendered in" \
  "${native_s} s natively, ${arm_s} s under qemu (processor time; ratio $(awk -v a="$arm_s" -v n="$native_s" \
  'BEGIN { printf "%.1f", a / (n > 0 ? n : 1) }'))"

# The player, headless, from 230 s to the end of the music; it exits 0.
player=$(realpath "$arm/zembravale")
start=$SECONDS
(cd "$build/assets" && timeout 900 "${qemu[@]}" "$player" --start 230) || fail "the arm64 player from --start 230"
echo "player: from 230 s to the end in $((SECONDS - start)) s"

[ $failed -eq 0 ] || exit 1
echo "test-arm64: all passed"
