# Urlsmith: the two everyday commands are `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
COVERAGE_BUILD ?= build-coverage
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
SITE       ?= examples/site

.PHONY: install screenshots all setup build build-asan build-fuzz build-coverage run test test-release \
        test-asan test-fuzz fuzz coverage bench format format-check clean

all: build

setup:
	@scripts/setup

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DURLSMITH_WERROR=ON

$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug -DURLSMITH_WERROR=ON \
	  -DURLSMITH_SANITIZE=ON -DURLSMITH_BENCH=OFF

# The fuzz programs need clang; the coverage build is made with gcc, with counters that the
# search's worker threads update atomically.
$(FUZZ_BUILD)/CMakeCache.txt:
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G "$(GENERATOR)" \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DURLSMITH_WERROR=ON -DURLSMITH_FUZZ=ON

$(COVERAGE_BUILD)/CMakeCache.txt:
	CC=gcc CXX=g++ cmake -S . -B $(COVERAGE_BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug \
	  -DURLSMITH_WERROR=ON -DURLSMITH_BENCH=OFF \
	  "-DCMAKE_CXX_FLAGS=--coverage -fprofile-update=atomic" -DCMAKE_EXE_LINKER_FLAGS=--coverage

build: setup $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

build-asan: setup $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)

build-fuzz: setup $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) --target fuzzers -j $(JOBS)

build-coverage: setup $(COVERAGE_BUILD)/CMakeCache.txt
	cmake --build $(COVERAGE_BUILD) -j $(JOBS)

# The wizard on the example site when there is a display; without one, the command-line scan
# (which exits 1 when it planned changes, which is what the example site is for).
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  ./$(BUILD)/urlsmith $(SITE); \
	else \
	  echo "make run: no display (DISPLAY and WAYLAND_DISPLAY are unset), so this is the command-line scan of $(SITE)"; \
	  ./$(BUILD)/urlsmith-cli scan $(SITE) || test $$? -eq 1; \
	fi

# Every step of the wizard on a copy of the example site, as PNG files under docs/screenshots,
# rendered on a virtual display.
screenshots: build
	xvfb-run -a -s "-screen 0 1280x1024x24" ./$(BUILD)/src/urlsmith-screenshots $(SITE) docs/screenshots

# The programs, the guide, the desktop entry, the icons and the manual pages under PREFIX.
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

test-release: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: build-asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# Every fuzz program for FUZZ_SECONDS on its corpus; new inputs and crashes stay in
# $(FUZZ_BUILD)/corpus and $(FUZZ_BUILD)/artifacts.
fuzz: build-fuzz
	scripts/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

test-fuzz: build-fuzz
	scripts/run-fuzzers $(FUZZ_BUILD) 10

test: test-asan test-release test-fuzz

# Line coverage of src/ by the tests.
# (The report is written even when a test fails, so that the failure can be seen beside it.)
coverage: build-coverage
	find $(COVERAGE_BUILD) -name '*.gcda' -delete
	cd $(COVERAGE_BUILD) && ctest --output-on-failure -j $(JOBS) || \
	  echo "make coverage: some tests failed; see above"
	gcovr -j $(JOBS) --root . --filter 'src/' --object-directory $(COVERAGE_BUILD) \
	  --exclude-directories '$(COVERAGE_BUILD)/CMakeFiles' --print-summary \
	  --txt $(COVERAGE_BUILD)/coverage.txt
	@echo "make coverage: the report per file is in $(COVERAGE_BUILD)/coverage.txt"

bench: build
	./$(BUILD)/bench/urlsmith-bench --benchmark_min_time=0.2
	./$(BUILD)/bench/urlsmith-runbench
	./$(BUILD)/bench/urlsmith-applybench
	./$(BUILD)/bench/urlsmith-wizard-bench

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

format-check:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(COVERAGE_BUILD)
