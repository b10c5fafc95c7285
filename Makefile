# The two commands a user needs: `make run` and `make test`. Both install what is missing,
# configure and build first.
BUILD      ?= build
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
# The demo reads tarnos.zip from its working directory: DATA_DIR picks that folder. Left empty,
# the demo runs in $(BUILD)/assets, on the archive the asset builder generates there.
DATA_DIR   ?=
CMAKE_ARGS ?=
# Our own builds treat warnings as errors; a plain `cmake` configure does not.
ZV_CMAKE    = -DZV_WERROR=ON $(CMAKE_ARGS)
# The files clang-format checks: everything we wrote in C++.
FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h' 2>/dev/null)
TEST_ENV   = SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null SDL_DISKAUDIODELAY=0

.PHONY: all deps configure build run test bench bench-video test-sanitize test-render-scalar \
	test-render-sse2 format format-check check-layers ci mutants fuzz fuzz-build fuzz-smoke soak clean \
	web serve-web test-web bench-web native-deps windows test-windows dist arm64 test-arm64 dist-deb test-deb FORCE

all: build

deps:
	@bash scripts/install-deps.sh

# mpg123 and kissfft from Debian's sources without fast math, as the web build has them, so both
# builds decode and analyse the music to the same bit; lame too, as on ARM, so both encode it alike. The script runs every time and rebuilds only
# what changed; a changed stamp configures again, so a build folder made without them takes them up.
# The sanitizer and renderer-loop builds share the folder.
NATIVE_DEPS   = $(BUILD)/deps-native
NATIVE_STAMPS = $(NATIVE_DEPS)/stamps/mpg123 $(NATIVE_DEPS)/stamps/kissfft $(NATIVE_DEPS)/stamps/lame

$(NATIVE_STAMPS) &: FORCE | deps
	bash scripts/web-deps.sh --native $(NATIVE_DEPS) mpg123 kissfft lame

native-deps: $(NATIVE_STAMPS)

FORCE:

$(BUILD)/CMakeCache.txt: $(NATIVE_STAMPS) | deps
	cmake -S . -B $(BUILD) $(ZV_CMAKE)
	@# CMake leaves an unchanged cache as it was: dated like the newest stamp, it is up to date.
	@touch -r "$$(ls -t $(NATIVE_STAMPS) | head -n1)" $@

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

ifeq ($(DATA_DIR),)
run: build
	cd $(BUILD)/assets && "$(CURDIR)/$(BUILD)/zembravale"
else
run: build
	cd "$(DATA_DIR)" && "$(CURDIR)/$(BUILD)/zembravale"
endif

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	./$(BUILD)/zembravale-bench
	$(MAKE) bench-video

# The whole production exported as video, timed against PNG frames plus the ffmpeg command line.
bench-video: build
	BUILD=$(BUILD) bash scripts/bench-video.sh

# The build runs the asset builder too, so the suppressions apply to it as well as to the tests.
test-sanitize: export LSAN_OPTIONS = suppressions=$(CURDIR)/scripts/lsan.supp
test-sanitize: deps native-deps
	cmake -S . -B $(BUILD)-sanitize -DZV_SANITIZE=ON -DZV_NATIVE_DEPS=$(abspath $(NATIVE_DEPS)) $(ZV_CMAKE)
	cmake --build $(BUILD)-sanitize -j $(JOBS)
	cd $(BUILD)-sanitize && ctest --output-on-failure -j $(JOBS)

# The renderer's plain loops and its SSE2-only path, which a machine with AVX2 never runs otherwise.
test-render-scalar test-render-sse2: test-render-%: deps native-deps
	cmake -S . -B $(BUILD)-$* -DZV_SIMD=$* -DZV_NATIVE_DEPS=$(abspath $(NATIVE_DEPS)) $(ZV_CMAKE)
	cmake --build $(BUILD)-$* -j $(JOBS) --target zembravale-tests-render
	$(TEST_ENV) ./$(BUILD)-$*/zembravale-tests-render

format:
	clang-format -i $(FORMAT_FILES)

format-check:
	clang-format --dry-run --Werror $(FORMAT_FILES)

# Every include in Sources against the module layers of Sources/Layers.txt, the table CMake links
# the modules by: fails on an include that points up, climbs out with ../ or reaches SDL outside
# Main and the audio output. Needs no build.
check-layers:
	python3 scripts/check-layers.py

# Everything CI checks, in its order.
ci:
	./.ci/run

# The mutation check: one fault at a time from scripts/mutants.txt in a scratch copy, the guarding
# tests rebuilt and run, killed and survived counted per module. Slow; not part of CI.
mutants: deps
	python3 scripts/mutants.py


# Fuzzing: the targets in Fuzz/ are built with clang and libFuzzer in a folder of their own, their
# seeds made from the archive the asset builder generates. FUZZ_SECONDS per target.
FUZZ_BUILD   ?= $(BUILD)-fuzz
FUZZ_SECONDS ?= 60
fuzz-build: configure
	cmake --build $(BUILD) -j $(JOBS) --target archive
	cmake -S Fuzz -B $(FUZZ_BUILD) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DZV_ARCHIVE="$(CURDIR)/$(BUILD)/assets/tarnos.zip" $(CMAKE_ARGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz: fuzz-build
	FUZZ_SECONDS=$(FUZZ_SECONDS) scripts/fuzz.sh $(FUZZ_BUILD)

# A short run of every target: catches a target that no longer builds or fails at once.
fuzz-smoke: fuzz-build
	FUZZ_SECONDS=10 scripts/fuzz.sh $(FUZZ_BUILD)

# The soak: the whole production in real time under Xvfb with both cores kept busy (about four
# minutes); the report lands in $(BUILD)/soak-report.txt. Not part of `make test`.
soak: build
	scripts/soak.sh $(BUILD)

# In a browser: the libraries built for WebAssembly from Debian's sources (once, then reused), the
# program with Emscripten, and the site in $(WEB_BUILD)/site with the archive the native build makes.
WEB_BUILD  ?= build-web
WEB_PORT   ?= 8000
web: build
	bash scripts/web-deps.sh $(WEB_BUILD)
	NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release $(ZV_CMAKE)
	NODE_PATH=/usr/share/nodejs cmake --build $(WEB_BUILD) -j $(JOBS)
	cp $(BUILD)/assets/tarnos.zip $(WEB_BUILD)/site/tarnos.zip

serve-web: web
	@echo "zembravale in a browser: http://127.0.0.1:$(WEB_PORT)/ (Ctrl-C stops the server)"
	python3 -m http.server $(WEB_PORT) --bind 127.0.0.1 --directory $(WEB_BUILD)/site

# The browser tests, in Debian's headless Chromium, against the native capture tool's frames.
test-web: web
	BUILD=$(BUILD) WEB_BUILD=$(WEB_BUILD) bash scripts/test-web.sh

# Page load, offline rendering and playback frame times in the browser, beside the native figures.
bench-web: web
	BUILD=$(BUILD) WEB_BUILD=$(WEB_BUILD) bash scripts/test-web.sh bench

# On Windows: the libraries cross-built for x86_64-w64-mingw32 from Debian's sources (once, then
# reused), zembravale.exe and zembravale-capture.exe in $(WIN_BUILD), and the suites for wine.
WIN_BUILD  ?= build-windows
# Where the libraries are built: a folder outside the clone (WIN_DEPS=/var/cache/...) keeps them
# across fresh clones; each is rebuilt only when its version or recipe changes.
WIN_DEPS   ?= $(WIN_BUILD)/deps
WIN_TOOLS   = g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
	wine wine64 zip x11-apps netpbm
windows: build
	bash scripts/install-deps.sh $(WIN_TOOLS)
	bash scripts/web-deps.sh --windows $(WIN_DEPS)
	cmake -S . -B $(WIN_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/scripts/mingw-toolchain.cmake \
	  -DCMAKE_CROSSCOMPILING_EMULATOR=wine -DZV_WINDOWS_DEPS=$(abspath $(WIN_DEPS)) $(ZV_CMAKE)
	cmake --build $(WIN_BUILD) -j $(JOBS)
	mkdir -p $(WIN_BUILD)/assets
	cp $(BUILD)/assets/tarnos.zip $(WIN_BUILD)/assets/tarnos.zip

# The suites under wine, the frames against the native capture's, the player headless and in a
# real window (Xvfb), the error boxes and the DLLs each program names.
test-windows: windows
	BUILD=$(BUILD) WIN_BUILD=$(WIN_BUILD) bash scripts/test-windows.sh

# The release archives in $(DIST), named by the version: the Windows program and the site as zips,
# and the Linux packages for amd64 and arm64.
DIST ?= build-dist
dist: windows web dist-deb
	BUILD=$(BUILD) WIN_BUILD=$(WIN_BUILD) WIN_DEPS=$(WIN_DEPS) WEB_BUILD=$(WEB_BUILD) DIST=$(DIST) bash scripts/dist.sh

# On ARM: the three programs and the tests cross-built for aarch64 with Debian's cross compiler,
# against a tree of Debian's arm64 packages in $(ARM_BUILD)/deps/tree (fetched once, then reused),
# with mpg123, kissfft and lame built from Debian's sources as for the native build.
ARM_BUILD  ?= build-arm64
ARM_DEPS    = $(ARM_BUILD)/deps
ARM_TARGETS = zembravale zembravale-capture zembravale-assets archive icon zembravale-tests-render \
	zembravale-tests-data zembravale-tests-sync zembravale-tests-parts
arm64: deps
	bash scripts/web-deps.sh --arm64 $(ARM_DEPS) mpg123 kissfft lame
	cmake -S . -B $(ARM_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/$(ARM_DEPS)/toolchain.cmake \
	  -DZV_NATIVE_DEPS=$(CURDIR)/$(ARM_DEPS) -DCMAKE_INSTALL_PREFIX=/usr $(ZV_CMAKE)
	cmake --build $(ARM_BUILD) -j $(JOBS) --target $(ARM_TARGETS)

# The arm64 programs under qemu: four test suites, frames and the archive against the native
# build's, byte for byte, and a headless run of the player.
test-arm64: build arm64
	bash scripts/install-deps.sh netpbm  # decodes the pictures that differ by rounding
	BUILD=$(BUILD) ARM_BUILD=$(ARM_BUILD) bash scripts/test-arm64.sh

# The Linux packages: build-dist/zembravale_VERSION_amd64.deb and _arm64.deb.
dist-deb: build arm64
	BUILD=$(BUILD) ARM_BUILD=$(ARM_BUILD) DIST=$(DIST) bash scripts/dist-deb.sh

# The amd64 package installed into a scratch root, run there from a folder without an archive,
# and removed; the arm64 package's contents, Depends and capture tool under qemu.
test-deb: dist-deb
	BUILD=$(BUILD) ARM_BUILD=$(ARM_BUILD) DIST=$(DIST) bash scripts/test-deb.sh

clean:
	rm -rf $(BUILD) $(BUILD)-sanitize $(BUILD)-scalar $(BUILD)-sse2 $(FUZZ_BUILD) $(WEB_BUILD) $(WIN_BUILD) \
	  $(ARM_BUILD) $(DIST)
