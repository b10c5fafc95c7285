#!/usr/bin/env bash
# The packages tested for real. The amd64 package is installed with apt-get into a throwaway root
# (an overlay over this machine's own, so its Depends are met without a download, every change
# landing in a scratch folder) and run there in a chroot from a folder without an archive: the
# capture tool's frame at 10 s against the build tree's, the player from 244 s to the end with the
# dummy drivers. It is then purged, and nothing of it may be left. The arm64 package: its files and
# Depends, and its capture tool run under qemu from the unpacked package against the same frame.
#   BUILD=build ARM_BUILD=build-arm64 DIST=build-dist bash scripts/test-deb.sh   (after make dist-deb)
set -euo pipefail
cd "$(dirname "$0")/.."

build=$(realpath "${BUILD:-build}")
arm=$(realpath "${ARM_BUILD:-build-arm64}")
dist=$(realpath "${DIST:-build-dist}")
version=$(bash scripts/version.sh)
amd64=$dist/zembravale_${version}_amd64.deb
arm64=$dist/zembravale_${version}_arm64.deb
scratch=$(mktemp -d /tmp/zembravale-root.XXXXXX)
root=$scratch/root
mounted=()
cleanup() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"; done
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
  echo "test-deb: FAILED: $*" >&2
  exit 1
}

# The frame the build tree renders at 10 s, from its own archive.
"$build/zembravale-capture" --archive "$build/assets/tarnos.zip" --out "$scratch/expected" --at 10 >/dev/null
frame=t0010000.png

# --- amd64: installed, played, purged ---
mkdir -p "$scratch/upper" "$scratch/work" "$root"
mount -t overlay overlay -o "lowerdir=/,upperdir=$scratch/upper,workdir=$scratch/work" "$root"
mounted+=("$root")
mount -t proc proc "$root/proc"
mounted+=("$root/proc")
mount --bind /dev "$root/dev"
mounted+=("$root/dev")
mount --bind /dev/pts "$root/dev/pts"
mounted+=("$root/dev/pts")
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }
in_root dpkg-query -W zembravale >/dev/null 2>&1 && fail "zembravale is already installed on this machine"
mkdir -p "$root/tmp/pkg" "$root/tmp/play"
cp "$amd64" "$root/tmp/pkg/"
in_root apt-get install -y -q "/tmp/pkg/$(basename "$amd64")" >"$scratch/install.log" 2>&1 ||
  { cat "$scratch/install.log" >&2; fail "apt-get install of the amd64 package"; }
echo "amd64: installed with apt-get"
[ -f "$root/usr/share/zembravale/tarnos.zip" ] || fail "no /usr/share/zembravale/tarnos.zip"
cmp "$root/usr/share/zembravale/tarnos.zip" "$build/assets/tarnos.zip" || fail "the installed archive differs from the build tree's"
in_root sh -c 'cd /tmp/play && zembravale-capture --at 10 --out /tmp/play/frames' >/dev/null ||
  fail "zembravale-capture from a folder without an archive"
cmp "$root/tmp/play/frames/$frame" "$scratch/expected/$frame" || fail "the installed capture tool's frame differs"
echo "amd64: zembravale-capture --at 10 from the installed archive: the build tree's frame"
in_root sh -c 'cd /tmp/play && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null \
  SDL_DISKAUDIODELAY=0 timeout 120 zembravale --start 244' || fail "zembravale --start 244 did not exit 0"
echo "amd64: zembravale --start 244 exits 0"
[ -f "$root/usr/share/man/man6/zembravale.6.gz" ] || fail "no manual page for zembravale"
grep -q '^Exec=zembravale$' "$root/usr/share/applications/zembravale.desktop" || fail "no menu entry"
files=$(in_root dpkg-query -L zembravale)
in_root apt-get purge -y -q zembravale >"$scratch/purge.log" 2>&1 || { cat "$scratch/purge.log" >&2; fail "apt-get purge"; }
left=()
while IFS= read -r f; do
  [ -z "$f" ] || [ -d "$root$f" ] || [ ! -e "$root$f" ] || left+=("$f")
done <<<"$files"
# Nothing new outside dpkg's and apt's own records, their logs, the test's folders and the caches
# other packages' triggers rebuild (the icon theme's index, made again without our icon).
while IFS= read -r f; do left+=("/$f"); done < <(cd "$scratch/upper" && find . -type f -printf '%P\n' |
  grep -Ev '^(var/lib/dpkg|var/lib/apt|var/cache|var/log|tmp|root|etc/ld\.so\.cache$|usr/share/icons/hicolor/icon-theme\.cache$)' ||
  true)
cache=$root/usr/share/icons/hicolor/icon-theme.cache
[ ! -f "$cache" ] || ! grep -q zembravale "$cache" || left+=("our icon in $cache")
[ ${#left[@]} -eq 0 ] || fail "left behind after purging: ${left[*]}"
echo "amd64: purged, nothing left"

# --- arm64: contents, Depends, and the capture tool under qemu from the unpacked package ---
contents=$(dpkg-deb -c "$arm64" | awk '{ print $6 }')
for f in ./usr/bin/zembravale ./usr/bin/zembravale-capture ./usr/bin/zembravale-assets \
  ./usr/share/zembravale/tarnos.zip ./usr/share/applications/zembravale.desktop \
  ./usr/share/icons/hicolor/128x128/apps/zembravale.png ./usr/share/man/man6/zembravale.6.gz \
  ./usr/share/man/man1/zembravale-capture.1.gz ./usr/share/man/man1/zembravale-assets.1.gz; do
  grep -qxF "$f" <<<"$contents" || fail "the arm64 package lacks $f"
done
[ "$(dpkg-deb -f "$arm64" Architecture)" = arm64 ] || fail "the arm64 package's architecture"
depends=$(dpkg-deb -f "$arm64" Depends)
# SDL's package name follows the SDL the shell links (1.2 or 2), so only its prefix is checked.
for lib in libc6 'libsdl[0-9.a-z-]*' libavcodec59 libcairo2 fonts-dejavu-extra; do
  grep -q "\b$lib\b" <<<"$depends" || fail "the arm64 package's Depends lacks $lib: $depends"
done
grep -q 'mpg123\|kissfft\|mp3lame' <<<"$depends" && fail "mpg123, kissfft and lame are to be linked in statically: $depends"
dpkg-deb -x "$arm64" "$scratch/arm64"
(cd "$scratch" && qemu-aarch64-static -L "$arm/deps/tree" "$scratch/arm64/usr/bin/zembravale-capture" \
  --archive "$scratch/arm64/usr/share/zembravale/tarnos.zip" --at 10 --out "$scratch/arm64-frames") >/dev/null ||
  fail "the arm64 package's capture tool under qemu"
cmp "$scratch/arm64-frames/$frame" "$scratch/expected/$frame" || fail "the arm64 package's frame differs"
echo "arm64: contents and Depends as expected; its capture tool under qemu gives the build tree's frame"
echo "test-deb: all passed"
