# Top-level entry points; each sets up what a fresh machine is missing first.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

# `make fuzz`: the fuzz targets (clang, libFuzzer), each run FUZZ_SECONDS
# from its seed corpus. `make test-asan`: the test suite under Address and
# UndefinedBehavior sanitizers, Qt left out to keep it quick.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
ASAN_BUILD ?= build-asan
SANITIZE := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer

.PHONY: all deps configure build demo test bench clean fuzz test-asan

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j$(JOBS) -- --no-print-directory

demo: build
	@$(BUILD)/korvane demo --db $(BUILD)/demo.db

test: build
	@scripts/check-layers
	@cd $(BUILD) && ctest -j$(JOBS) --output-on-failure --timeout 300

# `make bench`: every benchmark program, each printing its figures against
# their goals; the build's own output shows only when the build fails.
bench: configure
	@cmake --build $(BUILD) -j$(JOBS) --target benches -- --no-print-directory >$(BUILD)/bench-build.log 2>&1 \
	  || { cat $(BUILD)/bench-build.log; exit 1; }
	@for b in $(BUILD)/bench_*; do \
	  if [ -f "$$b" ] && [ -x "$$b" ]; then echo; KORVANE_BENCH_DIR=$(BUILD) "$$b" || exit 1; fi; \
	done

fuzz:
	@KORVANE_WITH_QT=0 KORVANE_FUZZ=1 scripts/install-deps
	@cmake -S tests/fuzz -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS) -- --no-print-directory
	@mkdir -p $(FUZZ_BUILD)/crashes
	@for f in $(FUZZ_BUILD)/fuzz_*; do \
	  if [ -f "$$f" ] && [ -x "$$f" ]; then \
	    name=$$(basename $$f); mkdir -p $(FUZZ_BUILD)/corpus/$$name; \
	    echo "fuzz: $$name for $(FUZZ_SECONDS) s"; \
	    $$f -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
	      -artifact_prefix=$(FUZZ_BUILD)/crashes/$$name- \
	      $(FUZZ_BUILD)/corpus/$$name tests/fuzz/corpus/$$name 2>$(FUZZ_BUILD)/$$name.log \
	      || { tail -n 40 $(FUZZ_BUILD)/$$name.log; exit 1; }; \
	    grep -E '^stat::(number_of_executed_units|new_units_added)' $(FUZZ_BUILD)/$$name.log; \
	  fi; \
	done

test-asan:
	@KORVANE_WITH_QT=0 scripts/install-deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_WITH_QT=OFF \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE)" -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE)" >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS) -- --no-print-directory
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest -j$(JOBS) --output-on-failure --timeout 900

clean:
	@rm -rf $(BUILD)
