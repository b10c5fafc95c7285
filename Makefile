# The two commands a user needs: `make run` and `make test`. Both install what is missing,
# configure and build first.
BUILD      ?= build
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
# The demo reads tarnos.zip from its working directory: DATA_DIR picks that folder. Left empty,
# the demo runs in $(BUILD)/assets, on the archive the asset builder generates there.
DATA_DIR   ?=
CMAKE_ARGS ?=

.PHONY: all deps configure build run test bench bench-video test-sanitize clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) $(CMAKE_ARGS)

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
test-sanitize: deps
	cmake -S . -B $(BUILD)-sanitize -DZV_SANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(BUILD)-sanitize -j $(JOBS)
	cd $(BUILD)-sanitize && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(BUILD)-sanitize
