# Top-level entry points; each sets up what a fresh machine is missing first.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: all deps configure build demo test bench clean

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

bench: configure
	@cmake --build $(BUILD) -j$(JOBS) --target benches
	@for b in $(BUILD)/bench_*; do \
	  if [ -f "$$b" ] && [ -x "$$b" ]; then KORVANE_BENCH_DIR=$(BUILD) "$$b" || exit 1; fi; \
	done

clean:
	@rm -rf $(BUILD)
