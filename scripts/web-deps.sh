#!/usr/bin/env bash
# Builds the C/C++ libraries zembravale links, for WebAssembly (emscripten), from Debian 12's own
# source packages: the same upstream versions and Debian patches as the native build uses.
#
#   bash scripts/web-deps.sh [BUILD_WEB_DIR [LIB...]]        (default build-web; run from the repo root)
#   bash scripts/web-deps.sh --native DEPS_DIR [LIB...]     (LIB: mpg123, kissfft, lame; default all)
#   bash scripts/web-deps.sh --windows DEPS_DIR [LIB...]    (every library below, and SDL2)
#   bash scripts/web-deps.sh --arm64 ARM_DIR [LIB...]       (the same three as --native, for aarch64)
#
# Result: BUILD_WEB_DIR/deps/include and BUILD_WEB_DIR/deps/lib (static wasm32 archives).
# With --native, DEPS_DIR/include and DEPS_DIR/lib instead: mpg123, kissfft and lame as static
# x86-64 archives from the same sources and recipes, built with the system's gcc, for the native
# build (lame only natively and on aarch64, where the asset builder encodes the music with it).
# With --arm64, the same into ARM_DIR/include and ARM_DIR/lib with Debian's aarch64 cross compiler,
# and ARM_DIR/tree: Debian 12's arm64 packages the program builds and runs against, unpacked (the
# compiler's sysroot, and qemu's -L), plus ARM_DIR/toolchain.cmake, which points CMake at both.
# Both builds compile them without fast math: GCC reorders the arithmetic under -ffast-math
# (Debian's own packages have it), so only strict IEEE builds decode and transform the music to
# the same bits in the browser and natively, and so give the same frames.
# With --windows, DEPS_DIR/include and DEPS_DIR/lib hold every library and SDL2 as static archives
# for x86_64-w64-mingw32, cross-built with Debian's mingw-w64 GCC (posix threads) by
# scripts/mingw-toolchain.cmake's compilers, for build-windows.
# Sources are fetched through a private apt configuration in BUILD_WEB_DIR/apt (DEPS_DIR/apt; made
# from this machine's own apt sources, as deb-src), so nothing under /etc/apt or /var/lib/apt changes.
# Each library is built once; BUILD_WEB_DIR/deps/stamps/LIB records its version and a hash of
# its recipe, and a library is built again only when one of them (or a library it uses) changes.
set -euo pipefail
shopt -s inherit_errexit

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
helpers=$repo/scripts/web-deps
target=wasm
if [ "${1:-}" = --native ] || [ "${1:-}" = --arm64 ]; then
  target=${1#--}
  shift
  [ $# -gt 0 ] || { echo "usage: $0 --$target DIR [LIB...]" >&2; exit 2; }
elif [ "${1:-}" = --windows ]; then
  target=windows
  shift
  [ $# -gt 0 ] || { echo "usage: $0 --windows DEPS_DIR [LIB...]" >&2; exit 2; }
fi
out=${1:-build-web}
shift || true
mkdir -p "$out"
out=$(cd "$out" && pwd)
aptdir=$out/apt
srcdir=$out/src
workdir=$out/work
deps=$out/deps
[ $target = wasm ] || deps=$out
stamps=$deps/stamps
jobs=2

die() {
  echo "web-deps: error: $*" >&2
  exit 1
}

# --- What is built: Debian source package, pinned version, the native package it must match ---
# The pins are the versions installed natively (dpkg-query -W), so web and native run the same code.
# DevIL is not among them: its source package cannot be had from every mirror, and the web build
# answers its calls with Sources/PictureLibrary over libpng and libjpeg instead.
libs=(zlib minizip libpng libjpeg tinyxml mpg123 kissfft)
# Windows also builds SDL2 (on Linux the system's, in the browser Emscripten's), and LAME for its tests.
windows_libs=("${libs[@]}" sdl2 lame)
# The libraries whose recipes also build natively: the ones whose results depend on float rounding.
native_libs=(mpg123 kissfft lame)
declare -A source_of=(
  [zlib]=zlib [minizip]=minizip [libpng]=libpng1.6 [libjpeg]=libjpeg-turbo
  [tinyxml]=tinyxml [mpg123]=mpg123 [kissfft]=kissfft [sdl2]=libsdl2 [lame]=lame
)
declare -A version_of=(
  [zlib]=1:1.2.13.dfsg-1
  [minizip]=1.1-8+deb12u1
  [libpng]=1.6.39-2+deb12u5
  [libjpeg]=1:2.1.5-2
  [tinyxml]=2.6.2-6+deb12u1
  [mpg123]=1.31.2-1+deb12u1
  [kissfft]=131.1.0-4.1~deb12u1
  [sdl2]=2.26.5+dfsg-1
  [lame]=3.100-6
)
declare -A native_of=(
  [zlib]=zlib1g-dev [minizip]=libminizip-dev [libpng]=libpng16-16 [libjpeg]=libjpeg62-turbo
  [tinyxml]=libtinyxml-dev [mpg123]=libmpg123-0 [kissfft]=libkissfft-float131 [sdl2]=libsdl2-2.0-0 [lame]=libmp3lame0
)
# ZV_WEB_PIN_<lib>=VERSION replaces a pin for one run, e.g. when a mirror no longer has it.
for lib in "${windows_libs[@]}"; do
  override=ZV_WEB_PIN_$lib
  [ -n "${!override:-}" ] && version_of[$lib]=${!override}
done
# ZV_WEB_SKIP="lib ..." leaves libraries out of this run, with a warning (the program cannot link
# without them: this only lets the others be built and checked meanwhile).
skip=" ${ZV_WEB_SKIP:-} "
# Libraries whose headers a library is compiled against: rebuilt after them.
declare -A uses=([minizip]=zlib [libpng]=zlib)
# The libraries this run builds: those named after the folder, or all of the target's.
if [ $target = wasm ]; then
  known=("${libs[@]}")
elif [ $target = windows ]; then
  known=("${windows_libs[@]}")
else
  known=("${native_libs[@]}")
fi
selected=("$@")
[ ${#selected[@]} -gt 0 ] || selected=("${known[@]}")
for lib in "${selected[@]}"; do
  [[ " ${known[*]} " == *" $lib "* ]] || die "no $target recipe for $lib (known: ${known[*]})"
done

# --- 1. Tools --------------------------------------------------------------------------------
tools=(dpkg-dev cmake make xz-utils bzip2 patch gawk autotools-dev)
case $target in
  native) tools+=(gcc) ;;
  windows) tools+=(gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64) ;;
  arm64) tools+=(gcc-aarch64-linux-gnu g++-aarch64-linux-gnu qemu-user-static) ;;
  wasm) tools+=(emscripten) ;;
esac
bash "$repo/scripts/install-deps.sh" "${tools[@]}"
# Debian's emscripten finds its JS optimizer's modules (acorn) only through NODE_PATH.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

# The same compile settings for every library: -O2, no threads, emscripten's default exceptions.
# Natively position-independent code too, so the archives also link into shared objects (Windows
# code is position-independent anyway). Never a fused multiply-add the source does not spell out
# (GCC makes them by default on aarch64): each rounds once where the other machines round twice,
# and the music would differ. On Windows the floating point is x86-64's own: SSE2, no x87.
cflags="-O2 -ffp-contract=off"
[ $target = native ] || [ $target = arm64 ] && cflags="-O2 -ffp-contract=off -fPIC"
# The first line a command prints, read whole: emcc is a Python program, and a `| head -n1` that
# closes the pipe early kills it with a BrokenPipeError, which pipefail turns into a failed build.
first_line() { local out; out=$("$@"); printf '%s\n' "${out%%$'\n'*}"; }
# How the recipes that build for both targets run the tool chain: through emscripten's wrappers
# for wasm, as they are natively (gcc, configure guessing the host).
if [ $target = native ]; then
  configure_with=() make_with=() cmake_with=() host=()
  compiler_version() { first_line gcc --version; }
elif [ $target = windows ]; then
  mingw=x86_64-w64-mingw32
  toolchain=$repo/scripts/mingw-toolchain.cmake
  configure_with=(env CC=$mingw-gcc-posix CXX=$mingw-g++-posix AR=$mingw-ar RANLIB=$mingw-ranlib)
  make_with=() cmake_with=(env) host=(--host=$mingw)
  compiler_version() { first_line $mingw-gcc-posix --version; cat "$toolchain"; }
elif [ $target = arm64 ]; then
  configure_with=() make_with=() host=(--host=aarch64-linux-gnu)
  cmake_with=(env CC=aarch64-linux-gnu-gcc CXX=aarch64-linux-gnu-g++)
  compiler_version() { first_line aarch64-linux-gnu-gcc --version; }
else
  configure_with=(emconfigure) make_with=(emmake) cmake_with=(emcmake)
  host=(--host=wasm32-unknown-emscripten)
  compiler_version() { first_line emcc --version; }
fi

# Versions of the native packages, checked against the pins: a mismatch is worth knowing about,
# since web and native would then run different code, but it does not stop the web build. The
# native build's own mpg123 and kissfft are the pinned ones, so --native has nothing to check.
[ $target != wasm ] || for lib in "${libs[@]}"; do
  pkg=${native_of[$lib]}
  have=$(dpkg-query -W -f='${source:Version}' "$pkg" 2>/dev/null || true)
  if [ -z "$have" ]; then
    echo "web-deps: warning: $pkg is not installed natively; $lib is pinned to ${version_of[$lib]}" >&2
  elif [ "$have" != "${version_of[$lib]}" ]; then
    echo "web-deps: warning: native $pkg is $have, the web build pins $lib to ${version_of[$lib]}" >&2
  fi
done

# --- 2. Private apt configuration, used only to fetch source packages ---------------------------
apt_opts=(
  -o "Dir::Etc::SourceList=$aptdir/sources.list"
  -o "Dir::Etc::SourceParts=$aptdir/sources.list.d"
  -o "Dir::State=$aptdir/state"
  -o "Dir::State::Lists=$aptdir/lists"
  -o "Dir::State::status=/var/lib/dpkg/status"
  -o "Dir::Cache=$aptdir/cache"
  -o "Dir::Cache::archives=$aptdir/cache/archives"
)
# As root apt hands downloads to the _apt user, who may not reach a private folder.
[ "$(id -u)" -eq 0 ] && apt_opts+=(-o "APT::Sandbox::User=root")

apt_ready=
apt_setup() {
  [ -n "$apt_ready" ] && return
  mkdir -p "$aptdir/sources.list.d" "$aptdir/lists/partial" "$aptdir/cache/archives/partial" \
    "$aptdir/state"
  : >"$aptdir/sources.list"
  local args=() f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && args+=(format=deb822 "$f")
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && args+=(format=list "$f")
  done
  [ ${#args[@]} -gt 0 ] || die "no apt sources found in /etc/apt"
  awk -f "$helpers/apt-sources.awk" "${args[@]}" >"$aptdir/sources.list.d/debian-src.sources"
  [ -s "$aptdir/sources.list.d/debian-src.sources" ] ||
    die "no Debian bookworm entries in this machine's apt sources to take source packages from"
  echo "web-deps: apt-get update (source lists, in $aptdir)"
  apt-get "${apt_opts[@]}" update -qq >"$aptdir/update.log" 2>&1 ||
    { cat "$aptdir/update.log" >&2; die "apt-get update with the private source lists failed"; }
  apt_ready=1
}

# Unpacks Debian source PKG=VERSION into $srcdir/PKG_VERSION (without the epoch) and prints that
# folder in $fetched. The files are checked against the .dsc's SHA-256 sums (the .dsc itself is checked by apt
# against the signed index). An upstream signature (.asc) some mirrors lack is not needed to unpack.
fetch_source() {
  local pkg=$1 ver=$2
  local dir=$srcdir/${pkg}_${ver#*:}
  fetched=$dir
  [ -f "$dir/.unpacked" ] && return
  apt_setup
  if ! apt-cache "${apt_opts[@]}" showsrc --only-source "$pkg" 2>/dev/null |
    grep -Fx "Version: $ver" >/dev/null; then
    local avail
    avail=$(apt-cache "${apt_opts[@]}" showsrc --only-source "$pkg" 2>/dev/null |
      sed -n 's/^Version: //p' | sort -u | tr '\n' ' ')
    die "Debian source $pkg $ver is not available from this machine's apt sources (available: ${avail:-none}); to build another version anyway: ZV_WEB_PIN_<lib>=VERSION"
  fi
  rm -rf "$dir" "$dir.dl"
  mkdir -p "$dir.dl"
  (cd "$dir.dl" && apt-get "${apt_opts[@]}" source -qq --download-only --only-source "$pkg=$ver") \
    >"$dir.dl/fetch.log" 2>&1 || true
  local dsc
  dsc=$(ls "$dir.dl"/*.dsc 2>/dev/null | head -n1)
  [ -n "$dsc" ] || { cat "$dir.dl/fetch.log" >&2; die "could not download the .dsc of $pkg $ver"; }
  local sum size name bad=
  while read -r sum size name; do
    if [ ! -f "$dir.dl/$name" ]; then
      case $name in
        *.asc) continue ;;
      esac
      echo "web-deps: $pkg $ver: $name could not be downloaded" >&2
      bad=1
    elif [ "$(sha256sum <"$dir.dl/$name" | cut -d' ' -f1)" != "$sum" ]; then
      echo "web-deps: $pkg $ver: $name does not match its SHA-256 in the .dsc" >&2
      bad=1
    fi
  done < <(awk '/^Checksums-Sha256:/ { on = 1; next } /^[^ ]/ { on = 0 } on && NF == 3' "$dsc")
  if [ -n "$bad" ]; then
    grep -E '^(E:|Err)' "$dir.dl/fetch.log" >&2 || true
    die "the source files of $pkg $ver are not all available from this machine's apt sources"
  fi
  (cd "$dir.dl" && dpkg-source --no-check -x "$(basename "$dsc")" "$dir") >"$dir.dl/unpack.log" 2>&1 ||
    { cat "$dir.dl/unpack.log" >&2; die "dpkg-source could not unpack $pkg $ver"; }
  touch "$dir/.unpacked"
}

# A fresh copy of a library's unpacked source to build in, so a rebuild never sees old objects.
fresh_copy() {
  local lib=$1
  fetch_source "${source_of[$lib]}" "${version_of[$lib]}"
  rm -rf "${workdir:?}/$lib"
  mkdir -p "$workdir"
  cp -a "$fetched" "$workdir/$lib"
}

# --- 3. The recipes: each runs in a fresh copy of its source, logs to $workdir/LIB.log ----------

# Debian: ./configure --shared with -O3 -Wall -D_REENTRANT and, on amd64, -DUNALIGNED_OK.
build_zlib() {
  CFLAGS="$cflags -Wall -D_REENTRANT -DUNALIGNED_OK" uname=GNU \
    emconfigure ./configure --static --prefix="$deps" --libdir="$deps/lib" --includedir="$deps/include"
  emmake make -j"$jobs" libz.a
  install -m 644 libz.a "$deps/lib/"
  install -m 644 zlib.h zconf.h "$deps/include/"
}

# Debian: autotools over ioapi.c mztools.c unzip.c zip.c, headers under include/minizip. Here the
# headers go straight into include/ so `#include <unzip.h>` works with one -I, as natively.
build_minizip() {
  local f
  for f in ioapi mztools unzip zip; do
    emcc $cflags -I"$deps/include" -c "$f.c" -o "$f.o"
  done
  emar rcs libminizip.a ioapi.o mztools.o unzip.o zip.o
  install -m 644 libminizip.a "$deps/lib/"
  install -m 644 ioapi.h mztools.h unzip.h zip.h "$deps/include/"
}

# Debian: the autotools build with its default options and config.sub/guess from autotools-dev (x86 also gets SSE2 filter code, which
# gives the same pixels; wasm has no such code).
build_libpng() {
  cp /usr/share/misc/config.sub /usr/share/misc/config.guess .
  CFLAGS="$cflags" CPPFLAGS="-I$deps/include" LDFLAGS="-L$deps/lib" \
    emconfigure ./configure --host=wasm32-unknown-emscripten --prefix="$deps" \
    --disable-shared --enable-static --disable-hardware-optimizations --without-binconfigs
  emmake make -j"$jobs" libpng16.la
  install -m 644 .libs/libpng16.a "$deps/lib/"
  ln -sf libpng16.a "$deps/lib/libpng.a"
  install -m 644 png.h pngconf.h pnglibconf.h "$deps/include/"
}

# Debian: CMake, jpeg62 API, SIMD on (amd64). Here the same library without SIMD, and only the
# library itself (no TurboJPEG, no tools). CMake's size checks run their probe under node, which
# fails with this emscripten, so wasm32's sizes are given.
build_libjpeg() {
  emcmake cmake -S . -B wasm -DCMAKE_BUILD_TYPE=None -DCMAKE_C_FLAGS="$cflags" \
    -DHAVE_SIZE_T=TRUE -DSIZE_T=4 -DHAVE_UNSIGNED_LONG=TRUE -DUNSIGNED_LONG=4 \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DREQUIRE_SIMD=OFF -DCMAKE_INSTALL_PREFIX="$deps"
  cmake --build wasm -j"$jobs" --target jpeg-static
  install -m 644 wasm/libjpeg.a "$deps/lib/"
  install -m 644 jpeglib.h jmorecfg.h jerror.h wasm/jconfig.h "$deps/include/"
}

# Debian: the three objects below with -DTIXML_USE_STL (its patched tinyxml.h defines it too).
build_tinyxml() {
  local f
  for f in tinyxml tinyxmlparser tinyxmlerror; do
    em++ $cflags -DTIXML_USE_STL -c "$f.cpp" -o "$f.o"
  done
  emar rcs libtinyxml.a tinyxml.o tinyxmlparser.o tinyxmlerror.o
  install -m 644 libtinyxml.a "$deps/lib/"
  install -m 644 tinyxml.h "$deps/include/"
}

# Debian: configure's defaults (which add -O2 -fomit-frame-pointer -funroll-all-loops
# -finline-functions -ffast-math for a GCC-like compiler, emcc included), decoder x86-64.
# Here the same flags without -ffast-math (--with-optimization=0 leaves CFLAGS as given), only the
# plain C float decoder ("generic", 16-bit output, all layers) and the library, without output modules.
build_mpg123() {
  cp /usr/share/misc/config.sub /usr/share/misc/config.guess build/
  CFLAGS="$cflags -fomit-frame-pointer -funroll-all-loops -finline-functions" \
    "${configure_with[@]}" ./configure "${host[@]}" --prefix="$deps" \
    --disable-shared --enable-static --with-cpu=generic --with-optimization=0 --disable-modules \
    --with-audio=dummy --disable-network --disable-ipv6 --disable-fifo
  grep -q -- '-ffast-math' Makefile && { echo "mpg123: -ffast-math is still in its flags" >&2; return 1; }
  "${make_with[@]}" make -j"$jobs" src/libmpg123/libmpg123.la
  install -m 644 src/libmpg123/.libs/libmpg123.a "$deps/lib/"
  install -m 644 src/libmpg123/mpg123.h src/libmpg123/fmt123.h "$deps/include/"
}

# Debian: the upstream CMake (which adds -ffast-math -fomit-frame-pointer), float, with -O3.
# Here the same CMake and flags at -O2 without -ffast-math, static; headers also straight into include/.
build_kissfft() { build_kissfft_with; }
build_kissfft_with() {
  sed -i 's/add_compile_options(-ffast-math /add_compile_options(/' CMakeLists.txt
  grep -q -- '-ffast-math' CMakeLists.txt && { echo "kissfft: -ffast-math is still in CMakeLists.txt" >&2; return 1; }
  "${cmake_with[@]}" cmake -S . -B obj -DCMAKE_BUILD_TYPE=None -DCMAKE_C_FLAGS="$cflags" \
    -DKISSFFT_DATATYPE=float -DKISSFFT_STATIC=ON -DKISSFFT_TEST=OFF -DKISSFFT_TOOLS=OFF \
    -DKISSFFT_OPENMP=OFF -DKISSFFT_PKGCONFIG=OFF -DCMAKE_INSTALL_PREFIX="$deps" \
    -DCMAKE_INSTALL_LIBDIR=lib "$@"
  cmake --build obj -j"$jobs"
  cmake --install obj
  cp kiss_fft.h kiss_fftr.h kiss_fftnd.h kiss_fftndr.h kissfft.hh "$deps/include/"
}

# --- The Windows recipes of the libraries whose recipes above are emscripten's only ---------------
# The same sources, options and files as those; the tool chain is mingw-w64's.

build_windows_zlib() {
  CHOST=$mingw CC=$mingw-gcc-posix AR=$mingw-ar RANLIB=$mingw-ranlib \
    CFLAGS="$cflags -Wall -D_REENTRANT -DUNALIGNED_OK" ./configure --static --prefix="$deps"
  make -j"$jobs" libz.a
  install -m 644 libz.a "$deps/lib/"
  install -m 644 zlib.h zconf.h "$deps/include/"
}

build_windows_minizip() {
  local f
  for f in ioapi mztools unzip zip; do
    $mingw-gcc-posix $cflags -I"$deps/include" -c "$f.c" -o "$f.o"
  done
  $mingw-ar rcs libminizip.a ioapi.o mztools.o unzip.o zip.o
  install -m 644 libminizip.a "$deps/lib/"
  install -m 644 ioapi.h mztools.h unzip.h zip.h "$deps/include/"
}

build_windows_libpng() {
  cp /usr/share/misc/config.sub /usr/share/misc/config.guess .
  CFLAGS="$cflags" CPPFLAGS="-I$deps/include" LDFLAGS="-L$deps/lib" \
    "${configure_with[@]}" ./configure "${host[@]}" --prefix="$deps" \
    --disable-shared --enable-static --disable-hardware-optimizations --without-binconfigs
  make -j"$jobs" libpng16.la
  install -m 644 .libs/libpng16.a "$deps/lib/"
  ln -sf libpng16.a "$deps/lib/libpng.a"
  install -m 644 png.h pngconf.h pnglibconf.h "$deps/include/"
}

build_windows_libjpeg() {
  cmake -S . -B win -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=None -DCMAKE_C_FLAGS="$cflags" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DREQUIRE_SIMD=OFF -DCMAKE_INSTALL_PREFIX="$deps"
  cmake --build win -j"$jobs" --target jpeg-static
  install -m 644 win/libjpeg.a "$deps/lib/"
  install -m 644 jpeglib.h jmorecfg.h jerror.h win/jconfig.h "$deps/include/"
}

build_windows_tinyxml() {
  local f
  for f in tinyxml tinyxmlparser tinyxmlerror; do
    $mingw-g++-posix $cflags -DTIXML_USE_STL -c "$f.cpp" -o "$f.o"
  done
  $mingw-ar rcs libtinyxml.a tinyxml.o tinyxmlparser.o tinyxmlerror.o
  install -m 644 libtinyxml.a "$deps/lib/"
  install -m 644 tinyxml.h "$deps/include/"
}

build_windows_mpg123() { build_mpg123; }

build_windows_kissfft() { build_kissfft_with -DCMAKE_TOOLCHAIN_FILE="$toolchain"; }

# Debian: autotools with its defaults, which on x86-64 add SSE code (a float square root where the
# C code takes a double one) and on x86 only its float bit tricks (a rounding by adding 2^23 and a
# table logarithm). Here the library only, static, without SSE and with the bit tricks on every
# machine, so that the asset builder encodes the same samples to the same mp3 bytes on x86-64 and
# aarch64; the tests make their mp3 fixtures with it.
build_lame() {
  cp /usr/share/misc/config.sub /usr/share/misc/config.guess .
  CFLAGS="$cflags" "${configure_with[@]}" ./configure "${host[@]}" --prefix="$deps" \
    --disable-shared --enable-static --disable-frontend --disable-gtktest --disable-decoder
  sed -i '/^#define HAVE_XMMINTRIN_H /d; /^#define TAKEHIRO_IEEE754_HACK /d; /^#define USE_FAST_LOG /d' config.h
  printf '%s\n' '#define TAKEHIRO_IEEE754_HACK 1' '#define USE_FAST_LOG 1' >>config.h
  make -j"$jobs" -C mpglib
  make -j"$jobs" -C libmp3lame
  install -m 644 libmp3lame/.libs/libmp3lame.a "$deps/lib/"
  mkdir -p "$deps/include/lame"
  install -m 644 include/lame.h "$deps/include/lame/"
}

# Debian: CMake, shared and static, with X11/Wayland/ALSA/Pulse and the rest. Here the static
# library only, for Windows: its own video (windows), audio (WASAPI, DirectSound, winmm) and input
# back ends, plus the dummy drivers the tests use; SDL2main is not needed (the program calls
# SDL_SetMainReady itself).
build_sdl2() {
  cmake -S . -B win -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS="$cflags" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF \
    -DSDL_STATIC_PIC=OFF -DSDL_DUMMYAUDIO=ON -DSDL_DUMMYVIDEO=ON -DSDL_DISKAUDIO=ON \
    -DCMAKE_INSTALL_PREFIX="$deps" -DCMAKE_INSTALL_LIBDIR=lib
  cmake --build win -j"$jobs"
  cmake --install win
  # The headers straight into include/ too, as `#include <SDL.h>` finds them on Linux.
  cp "$deps"/include/SDL2/*.h "$deps/include/"
}

# The function that builds a library for this run's target.
recipe_of() {
  if [ $target = windows ] && declare -F "build_windows_$1" >/dev/null; then
    echo "build_windows_$1"
  else
    echo "build_$1"
  fi
}

# The recipe's hash: its function, the shared settings, its helper files and the stamps of the
# libraries it is compiled against.
recipe_hash() {
  local lib=$1 dep
  {
    declare -f "$(recipe_of "$lib")" build_kissfft_with
    echo "cflags=$cflags"
    compiler_version
    [ -d "$helpers/$lib" ] && find "$helpers/$lib" -type f | sort | xargs cat
    for dep in ${uses[$lib]:-}; do cat "$stamps/$dep" 2>/dev/null || echo "$dep unbuilt"; done
  } | sha256sum | cut -d' ' -f1
}

mkdir -p "$deps/include" "$deps/lib" "$stamps"
for lib in "${selected[@]}"; do
  if [[ $skip == *" $lib "* ]]; then
    echo "web-deps: warning: $lib left out (ZV_WEB_SKIP)" >&2
    continue
  fi
  want="version=${version_of[$lib]}"$'\n'"recipe=$(recipe_hash "$lib")"
  if [ -f "$stamps/$lib" ] && [ "$(cat "$stamps/$lib")" = "$want" ]; then
    echo "$lib ${version_of[$lib]}: up to date"
    continue
  fi
  fresh_copy "$lib"
  rm -f "$stamps/$lib"
  dir=$workdir/$lib
  log=$workdir/$lib.log
  start=$SECONDS
  # A subshell of its own, not a condition, so that set -e stops the recipe at its first failure.
  set +e
  (
    set -e
    cd "$dir"
    set -x
    "$(recipe_of "$lib")"
  ) >"$log" 2>&1
  status=$?
  set -e
  if [ $status -ne 0 ]; then
    tail -n 40 "$log" >&2
    die "building $lib ${version_of[$lib]} failed (whole log: $log)"
  fi
  printf '%s\n' "$want" >"$stamps/$lib"
  echo "$lib ${version_of[$lib]}: built in $((SECONDS - start)) s"
done

# --- 4. arm64: the tree of Debian's arm64 packages, and CMake's toolchain file ----------------
# What the program, its tools and its tests build and run against, with what those need in turn:
# apt resolves them against an empty status file, downloads them through a private configuration
# for the arm64 architecture (the machine's own dpkg keeps its architectures) and dpkg-deb unpacks
# them. Absolute symlinks are made relative so that they stay inside the tree. Each package's
# control fields and shlibs/symbols files go into the tree's own dpkg database, which is what
# dpkg-shlibdeps reads to compute the arm64 package's Depends.
arm64_packages=(
  libc6-dev libstdc++-12-dev
  libsdl2-dev libdevil-dev libtinyxml-dev libminizip-dev zlib1g-dev libmp3lame-dev
  libpng-dev libjpeg-dev libcairo2-dev libpango1.0-dev fonts-dejavu-core fonts-dejavu-extra
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libcli11-dev libgtest-dev libgmock-dev
)
arm64_tree() {
  local tree=$out/tree apt=$out/apt-arm64 want
  want=$({ printf '%s\n' "${arm64_packages[@]}"; declare -f arm64_tree; } | sha256sum | cut -d' ' -f1)
  if [ -f "$stamps/tree" ] && [ "$(cat "$stamps/tree")" = "$want" ]; then
    echo "arm64 tree: up to date"
    return
  fi
  local start=$SECONDS
  rm -rf "$tree" "$apt" "$stamps/tree"
  mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/archives/partial" "$tree"
  : >"$apt/sources.list"
  : >"$apt/status"
  local args=() f
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && args+=(format=deb822 "$f")
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && args+=(format=list "$f")
  done
  awk -f "$helpers/apt-sources.awk" "${args[@]}" | sed 's/^Types: deb-src$/Types: deb/' \
    >"$apt/sources.list.d/debian.sources"
  [ -s "$apt/sources.list.d/debian.sources" ] || die "no Debian bookworm entries in this machine's apt sources"
  local opts=(
    -o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=$apt/sources.list.d"
    -o "Dir::State=$apt" -o "Dir::State::Lists=$apt/lists" -o "Dir::State::status=$apt/status"
    -o "Dir::Cache=$apt" -o "Dir::Cache::archives=$apt/archives"
    -o "APT::Architecture=arm64" -o "APT::Architectures::=arm64"
    -o "Dir::Etc::Preferences=/dev/null" -o "Dir::Etc::PreferencesParts=/dev/null"
  )
  [ "$(id -u)" -eq 0 ] && opts+=(-o "APT::Sandbox::User=root")
  apt-get "${opts[@]}" update -qq >"$apt/update.log" 2>&1 ||
    { cat "$apt/update.log" >&2; die "apt-get update for arm64 failed"; }
  apt-get "${opts[@]}" install -qq -y --download-only --no-install-recommends "${arm64_packages[@]}" \
    >"$apt/download.log" 2>&1 || { cat "$apt/download.log" >&2; die "downloading the arm64 packages failed"; }
  local db=$tree/var/lib/dpkg deb pkg name control
  mkdir -p "$db/info" "$apt/control"
  : >"$db/status"
  # Its layout: the files of Multi-Arch: same packages named PKG:arm64.
  echo 1 >"$db/info/format"
  for deb in "$apt"/archives/*.deb; do
    dpkg-deb -x "$deb" "$tree"
    pkg=$(dpkg-deb -f "$deb" Package)
    name=$pkg
    [ "$(dpkg-deb -f "$deb" Multi-Arch)" = same ] && name=$pkg:arm64
    control=$apt/control/$pkg
    dpkg-deb -e "$deb" "$control"
    for f in shlibs symbols; do
      [ -f "$control/$f" ] && cp "$control/$f" "$db/info/$name.$f"
    done
    dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||; /^$/d' >"$db/info/$name.list"
    { dpkg-deb -f "$deb" | sed '/^Package:/a Status: install ok installed'; echo; } >>"$db/status"
  done
  local link dest
  while IFS= read -r -d '' link; do
    dest=$(readlink "$link")
    ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$tree$dest")" "$link"
  done < <(find "$tree" -type l -lname '/*' -print0)
  # Unpacked, not configured: fontconfig-config's maintainer script has not chosen slight hinting,
  # so the tree's fontconfig hints fully. The asset builder sets its own hinting, and its pictures
  # come out the same anyway.
  printf '%s\n' "$want" >"$stamps/tree"
  echo "arm64 tree: $(ls "$apt"/archives/*.deb | wc -l) packages in $((SECONDS - start)) s"
}

if [ $target = arm64 ]; then
  arm64_tree
  # Debian's layout inside the tree: the compiler takes it as its sysroot, pkg-config looks only
  # there, and the programs CMake finds (the host's) run on the build machine.
  cat >"$out/toolchain.cmake" <<EOF
# Written by scripts/web-deps.sh --arm64: Debian's aarch64 cross compiler against $out/tree.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_SYSROOT "$out/tree")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static -L "$out/tree")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "$out/tree")
set(ENV{PKG_CONFIG_LIBDIR} "$out/tree/usr/lib/aarch64-linux-gnu/pkgconfig:$out/tree/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
EOF
  exit 0
fi

# --- 5. Each library used once from a small program under node (a few seconds) ----------------
# Natively the program's own build and tests are that check.
[ $target = wasm ] || exit 0
bash "$helpers/check.sh" "$out" >"$workdir/check.log" 2>&1 ||
  { cat "$workdir/check.log" >&2; die "the check of the built libraries failed (scripts/web-deps/check.sh)"; }
echo "check: $(tail -n1 "$workdir/check.log") (log: $workdir/check.log)"
