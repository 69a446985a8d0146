# make run: install what is missing, build (Release, into build/) and start the demo.
# make test: the same, then the whole test suite.
# make capture: the whole presentation recorded headless to build/vale.mp4 (1440 x 1080, 50 fps).
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench capture clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/bin/vale

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

capture: build
	./$(BUILD)/bin/vale-tool capture $(BUILD)/vale.mp4

bench: build
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf $(BUILD) build-asan
