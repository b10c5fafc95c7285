# The two commands a user needs: `make run` and `make test`. Both install what is missing,
# configure and build first.
BUILD      ?= build
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
# The demo reads tarnos.zip from its working directory: DATA_DIR picks that folder. Left empty,
# the demo runs in $(BUILD)/assets, on the archive the asset builder generates there.
DATA_DIR   ?=
CMAKE_ARGS ?=

.PHONY: all deps configure build run test bench test-sanitize fuzz fuzz-build fuzz-smoke soak clean

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

# The build runs the asset builder too, so the suppressions apply to it as well as to the tests.
test-sanitize: export LSAN_OPTIONS = suppressions=$(CURDIR)/scripts/lsan.supp
test-sanitize: deps
	cmake -S . -B $(BUILD)-sanitize -DZV_SANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(BUILD)-sanitize -j $(JOBS)
	cd $(BUILD)-sanitize && ctest --output-on-failure -j $(JOBS)

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

clean:
	rm -rf $(BUILD) $(BUILD)-sanitize $(FUZZ_BUILD)
