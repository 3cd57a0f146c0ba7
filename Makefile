# Corvantis template side — the whole set-up is `make run` or `make test`.
#
#   make test       install missing Debian packages, configure, build, stage, run the tests
#   make run        the same set-up, then start the Template Designer
#   make deps       only install the missing Debian packages
#   make test-asan  the tests built with AddressSanitizer and UndefinedBehaviorSanitizer
#   make bench      build and run the benchmarks (never part of `make test`)
#   make format     format every tracked C++ file with clang-format (.clang-format)
#   make fuzz       build the fuzz targets with clang and libFuzzer in build-fuzz/ and run
#                   each for FUZZ_SECONDS (FUZZ_TARGETS picks some; never part of `make test`)

BUILD      ?= build
ASAN_BUILD ?= build-asan
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS ?=
CMAKE      ?= cmake
CTEST      ?= ctest
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)

PACKAGES       := scripts/debian-packages.txt
BENCH_PACKAGES := scripts/debian-bench-packages.txt
FUZZ_PACKAGES  := scripts/debian-fuzz-packages.txt

# Headless by default for the tests; `make run` uses the real display.
TEST_ENV := QT_QPA_PLATFORM=offscreen

.PHONY: all deps build stage test run bench test-asan format fuzz clean

all: build

# The stamp is newer than the package list once every package is present,
# so a second run does no package work at all.
$(BUILD)/.deps-stamp: $(PACKAGES) scripts/install-deps.sh
	@./scripts/install-deps.sh $(PACKAGES)
	@mkdir -p $(BUILD) && touch $@

deps: $(BUILD)/.deps-stamp

$(BUILD)/build.ninja: | $(BUILD)/.deps-stamp
	$(CMAKE) -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: $(BUILD)/.deps-stamp $(BUILD)/build.ninja
	$(CMAKE) --build $(BUILD) -j $(JOBS)

# Build products land directly in the staging layout ($(BUILD)/stage);
# the `stage` target adds the data files and the staged machine settings.
stage: build
	$(CMAKE) --build $(BUILD) --target stage

test: stage
	$(TEST_ENV) $(CTEST) --test-dir $(BUILD) --output-on-failure -j $(JOBS)

run: stage
	@./scripts/run-designer.sh $(BUILD)/stage

$(ASAN_BUILD)/build.ninja: | $(BUILD)/.deps-stamp
	$(CMAKE) -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCV_SANITIZE=ON

test-asan: $(BUILD)/.deps-stamp $(ASAN_BUILD)/build.ninja
	$(CMAKE) --build $(ASAN_BUILD) -j $(JOBS)
	$(CMAKE) --build $(ASAN_BUILD) --target stage
	$(TEST_ENV) ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		$(CTEST) --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

$(BENCH_BUILD)/.deps-stamp: $(BENCH_PACKAGES) $(PACKAGES) scripts/install-deps.sh
	@./scripts/install-deps.sh $(PACKAGES) $(BENCH_PACKAGES)
	@mkdir -p $(BENCH_BUILD) && touch $@

$(BENCH_BUILD)/build.ninja: | $(BENCH_BUILD)/.deps-stamp
	$(CMAKE) -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCV_BENCH=ON

bench: $(BENCH_BUILD)/.deps-stamp $(BENCH_BUILD)/build.ninja
	$(CMAKE) --build $(BENCH_BUILD) -j $(JOBS) --target benchmarks
	$(CMAKE) --build $(BENCH_BUILD) --target run-benchmarks

# The `style` test (SourceFormatting) fails on any file this would change.
format: $(BUILD)/.deps-stamp
	git ls-files -z -- '*.cpp' '*.h' | xargs -0 -r clang-format -i

# The fuzz build: everything compiled by clang with coverage instrumentation,
# AddressSanitizer and UndefinedBehaviorSanitizer; only the fuzz programs are
# built. Crashes land in $(FUZZ_BUILD)/fuzz-work/<target>/ and fail the target.
$(FUZZ_BUILD)/.deps-stamp: $(FUZZ_PACKAGES) $(PACKAGES) scripts/install-deps.sh
	@./scripts/install-deps.sh $(PACKAGES) $(FUZZ_PACKAGES)
	@mkdir -p $(FUZZ_BUILD) && touch $@

$(FUZZ_BUILD)/build.ninja: | $(FUZZ_BUILD)/.deps-stamp
	CC=clang CXX=clang++ $(CMAKE) -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCV_FUZZ=ON

fuzz: $(FUZZ_BUILD)/.deps-stamp $(FUZZ_BUILD)/build.ninja
	$(CMAKE) --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers
	./fuzz/run-fuzzers.sh $(FUZZ_BUILD) $(CURDIR) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD)
