#!/usr/bin/env bash
# The Windows programs under wine (make test-windows, after make windows): the suites, the capture
# tool's frames against the native one's, the player headless from --start 240 to the end and in a
# real window (Xvfb, Escape), a bad archive's boxes against Linux's, and the DLLs each program names.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
WIN_BUILD=${WIN_BUILD:-build-windows}
win=$(cd "$WIN_BUILD" && pwd)
native=$(cd "$BUILD" && pwd)
archive=$native/assets/tarnos.zip
work=$win/test-windows
rm -rf "$work"
mkdir -p "$work"

# A wine prefix of the build's own, started before anything runs under it: ctest hangs on a
# prefix that is still being made.
export WINEPREFIX=$win/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1 || true
wineserver -p >/dev/null 2>&1 || true  # already running: fine
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

failures=0
check() {  # check NAME COMMAND...: runs the command, tells the outcome
  local start=$SECONDS
  if "$@"; then
    echo "test-windows: $1... ok ($((SECONDS - start)) s)" >&2
  else
    echo "test-windows: $1... FAILED" >&2
    failures=$((failures + 1))
  fi
}
# The check functions take their name as the first word.

suites() {
  (cd "$win" && ctest --output-on-failure -j 2 --timeout 900)
}

# The frames at moments across the intro, part one and part two: the same PNG bytes as natively.
frames() {
  local moments=(0.5 3 7.25 12 19.5 26 33.3 41 48.8 57 66.6 75 88 99.9 112 125.5 138 150 163.7 177 190 204.2 218 231 244.9)
  "$native/zembravale-capture" --archive "$archive" --out "$work/frames-linux" --at "${moments[@]}" >/dev/null 2>&1
  local start=$SECONDS
  wine "$win/zembravale-capture.exe" --archive "$archive" --out "$work/frames-windows" --at "${moments[@]}" \
    >"$work/capture.log" 2>&1 || { cat "$work/capture.log" >&2; return 1; }
  echo "test-windows: frames: ${#moments[@]} moments rendered under wine in $((SECONDS - start)) s" >&2
  local n=0 f
  for f in "$work"/frames-linux/*.png; do
    cmp "$f" "$work/frames-windows/$(basename "$f")" || return 1
    n=$((n + 1))
  done
  [ "$n" -eq ${#moments[@]} ] || { echo "only $n frames" >&2; return 1; }
}

# From --start 240 to the end on the dummy drivers, exit 0.
headless() {
  (cd "$native/assets" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    timeout 120 wine "$win/zembravale.exe" --start 240 >"$work/headless.out" 2>"$work/headless.err")
}

# An archive whose folder and name are not ASCII plays as well, its boxes the same (none).
utf8_archive() {
  mkdir -p "$work/ταρνος ü"
  cp "$archive" "$work/ταρνος ü/tárnos ñ.zip"
  (cd "$work" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 120 wine "$win/zembravale.exe" \
    --archive "$work/ταρνος ü/tárnos ñ.zip" --start 243 >/dev/null 2>"$work/utf8.err") || return 1
  [ ! -s "$work/utf8.err" ] || { cat "$work/utf8.err" >&2; return 1; }
}

# A real window with the caption in Xvfb; Escape from xdotool ends the program at once.
window() {
  local display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  local xvfb=$!
  sleep 1
  (cd "$native/assets" && DISPLAY=$display SDL_AUDIODRIVER=dummy wine "$win/zembravale.exe" --window \
    >"$work/window.out" 2>"$work/window.err") &
  local demo=$! found= i
  for i in $(seq 1 300); do
    if DISPLAY=$display xdotool search --name "z e m b r a v A L e" >/dev/null 2>&1; then
      found=1
      break
    fi
    sleep 0.2
  done
  local ok=1
  if [ -n "$found" ]; then
    # Long enough for frames to be on the screen (wine's first frames come slowly on a busy machine).
    sleep 10
    # What a viewer sees, kept for a look: the whole screen.
    DISPLAY=$display xwd -root -silent 2>/dev/null | xwdtopnm 2>/dev/null | pnmtopng >"$work/window.png" 2>/dev/null || true
    DISPLAY=$display xdotool search --name "z e m b r a v A L e" windowfocus --sync key Escape
    # Wine itself takes a moment to end a process; a program that ignored the key runs for minutes.
    local pressed=$SECONDS
    for i in $(seq 1 150); do
      kill -0 "$demo" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$demo" 2>/dev/null; then
      echo "the program was still running 15 s after Escape" >&2
      ok=
    else
      echo "test-windows: window: ended within $((SECONDS - pressed)) s of Escape" >&2
    fi
  else
    echo "no window with the caption appeared" >&2
    ok=
  fi
  kill "$demo" 2>/dev/null || true
  wait "$demo" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  [ -n "$ok" ]
}

# A bad archive: the same boxes, as text on stderr, as on Linux.
boxes() {
  head -c 5000 /dev/urandom >"$work/bad.zip"
  (cd "$work" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$native/zembravale" --archive bad.zip \
    >/dev/null 2>"$work/bad-linux.err") || true
  (cd "$work" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 120 wine "$win/zembravale.exe" \
    --archive bad.zip >/dev/null 2>"$work/bad-windows.err") || true
  grep -q . "$work/bad-linux.err" || { echo "Linux said nothing" >&2; return 1; }
  # Line ends as Windows writes them; SDL's own lines on Linux (the disk driver's) left out.
  diff <(grep -v '^\(INFO\|WARN\|CRITICAL\)' "$work/bad-linux.err") <(tr -d '\r' <"$work/bad-windows.err")
}

# Each program names only DLLs every Windows has.
dlls() {
  local exe name ok=0
  for exe in "$win/zembravale.exe" "$win/zembravale-capture.exe"; do
    while read -r name; do
      case ${name,,} in
        kernel32.dll | user32.dll | gdi32.dll | winmm.dll | imm32.dll | ole32.dll | oleaut32.dll | version.dll | \
          advapi32.dll | setupapi.dll | shell32.dll | shlwapi.dll | msvcrt.dll | dinput8.dll | cfgmgr32.dll | \
          api-ms-win-*) ;;
        *)
          echo "$(basename "$exe") needs $name" >&2
          ok=1
          ;;
      esac
    done < <(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
  done
  return $ok
}

check suites
check frames
check headless
check utf8_archive
check window
check boxes
check dlls
ls -l "$win"/*.exe >&2
[ "$failures" -eq 0 ] || { echo "test-windows: $failures check(s) failed" >&2; exit 1; }
echo "test-windows: all checks passed" >&2
