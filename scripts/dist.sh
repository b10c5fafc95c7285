#!/usr/bin/env bash
# The release archives (make dist, after make windows and make web), in $DIST:
#   zembravale-VERSION-windows-x64.zip  both programs, tarnos.zip, README.txt and the licences of
#                                       every library linked in, in one folder: unpacked, a
#                                       double-click on zembravale.exe plays the production
#   zembravale-VERSION-web.zip          the site: any static web server serves it as it is
# VERSION comes from scripts/version.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
WIN_BUILD=${WIN_BUILD:-build-windows}
WIN_DEPS=${WIN_DEPS:-$WIN_BUILD/deps}
WEB_BUILD=${WEB_BUILD:-build-web}
DIST=${DIST:-build-dist}
bash scripts/install-deps.sh zip unzip
version=$(bash scripts/version.sh)
mkdir -p "$DIST"
dist=$(cd "$DIST" && pwd)

# --- Windows ---
name=zembravale-$version-windows-x64
stage=$dist/stage/$name
rm -rf "$dist/stage"
mkdir -p "$stage/licences"
cp "$WIN_BUILD/zembravale.exe" "$WIN_BUILD/zembravale-capture.exe" "$stage/"
cp "$BUILD/assets/tarnos.zip" "$stage/"
{
  cat scripts/dist/README-windows.txt
  "$BUILD/zembravale" --help
} | sed 's/$/\r/' >"$stage/README.txt"
# Each library's Debian copyright file, from the sources it was built from, and the runtime the
# cross compiler links in (GCC's runtime libraries, mingw-w64's C runtime and threads).
licence() {  # licence NAME FILE
  [ -f "$2" ] || { echo "dist: no licence text for $1 at $2" >&2; exit 1; }
  sed 's/$/\r/' "$2" >"$stage/licences/$1.txt"
}
source_dir() { ls -d "$WIN_DEPS/src/$1"_*/ | grep -v '\.dl/$' | head -n1; }
for pair in zlib:zlib minizip:minizip libpng:libpng1.6 libjpeg-turbo:libjpeg-turbo tinyxml:tinyxml \
  mpg123:mpg123 kissfft:kissfft SDL2:libsdl2; do
  licence "${pair%%:*}" "$(source_dir "${pair#*:}")debian/copyright"
done
licence CLI11 /usr/share/doc/libcli11-dev/copyright
licence mingw-w64-runtime /usr/share/doc/mingw-w64-common/copyright
licence gcc-runtime /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright
rm -f "$dist/$name.zip"
(cd "$dist/stage" && zip -q -r -X "$dist/$name.zip" "$name")
rm -rf "$dist/stage"
# What the zip must hold: both programs, the archive, the README and a licence per library.
listing=$(unzip -Z1 "$dist/$name.zip")
for f in zembravale.exe zembravale-capture.exe tarnos.zip README.txt licences/SDL2.txt licences/zlib.txt \
  licences/libpng.txt licences/libjpeg-turbo.txt licences/minizip.txt licences/tinyxml.txt \
  licences/mpg123.txt licences/kissfft.txt licences/CLI11.txt licences/gcc-runtime.txt \
  licences/mingw-w64-runtime.txt; do
  grep -Fxq "$name/$f" <<<"$listing" || { echo "dist: $name.zip lacks $f" >&2; exit 1; }
done
echo "dist: $dist/$name.zip ($(stat -c %s "$dist/$name.zip") bytes)"

# --- The web ---
web=zembravale-$version-web
rm -f "$dist/$web.zip"
mkdir -p "$dist/stage"
cp -r "$WEB_BUILD/site" "$dist/stage/$web"
(cd "$dist/stage" && zip -q -r -X "$dist/$web.zip" "$web")
rm -rf "$dist/stage"
echo "dist: $dist/$web.zip ($(stat -c %s "$dist/$web.zip") bytes)"
