# make run: install what is missing, build (Release, into build/) and start the demo.
# make test: the same, then the whole test suite (and the Windows program's tests under Wine,
#            when the cross tools and Wine are installed; the page and its browser tests, when
#            the web tools are).
# make capture: the whole presentation recorded headless to build/vale.mp4, made for uploading
#            (1920 x 1440, supersampled 2 x 2, 50 fps, H.264 at quality 16: hours; see README).
# make capture-quick: the same at 640 x 480 without supersampling, to build/vale-quick.mp4, for a look.
# make windows: the 32-bit Windows program, build-win32/vale.exe (cross-built; the data
#            generators, and the fingerprint its tests compare with, come from the native build).
# make web:  the page, build-web/ (index.html, vale.js, vale.wasm) with Debian's emscripten; the data
#            generators and the glyph baker come from the native build. make test then also runs
#            the browser tests (label web). make serve-web serves it on http://127.0.0.1:8000/.
BUILD ?= build
WIN32_BUILD ?= build-win32
JOBS ?= $(shell nproc)
HOST_TOOLS = vale-compile-patches vale-song-compiler assemble_scripts vale-fingerprint
WEB_BUILD ?= build-web
WEB_PORT ?= 8000
# Debian's emscripten runs its tools with node, which must find Debian's own modules (acorn).
WEB_ENV = NODE_PATH=/usr/share/nodejs
# With the web tools installed (scripts/install-deps.sh --web), make test builds the page first.
HAVE_WEB_TOOLS := $(shell command -v emcc >/dev/null && command -v chromium >/dev/null \
                    && test -d tests/web/node_modules/puppeteer-core && echo yes)
HAVE_WIN32_TOOLS := $(shell command -v i686-w64-mingw32-g++ >/dev/null && command -v x86_64-w64-mingw32-g++ >/dev/null \
                      && command -v wine >/dev/null && echo yes)

.PHONY: all deps configure build run test test-windows windows web serve-web bench capture capture-quick clean

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
ifeq ($(HAVE_WEB_TOOLS),yes)
	@$(MAKE) --no-print-directory web
endif
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
ifeq ($(HAVE_WIN32_TOOLS),yes)
	@$(MAKE) --no-print-directory test-windows
else
	@echo "Windows tests skipped: install g++-mingw-w64-i686 and wine (scripts/install-deps.sh --windows)"
endif

# The Wine tests run the i686 program where this kernel runs 32-bit processes; where it does not
# (32-bit Wine cannot start), they run the same sources built for x86-64 under 64-bit Wine.
WINE_TEST_ARCH := $(shell /usr/lib/wine/wine --version >/dev/null 2>&1 && echo i686 || echo x86_64)
WIN64_BUILD ?= build-win64
WIN32_TESTS := $(if $(filter i686,$(WINE_TEST_ARCH)),ON,OFF)

windows: configure
	@cmake --build $(BUILD) -j $(JOBS) --target $(HOST_TOOLS)
	@cmake -S . -B $(WIN32_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVALE_TESTS=$(WIN32_TESTS) \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DVALE_HOST_BUILD=$(abspath $(BUILD)) >/dev/null
	@cmake --build $(WIN32_BUILD) -j $(JOBS)

test-windows: windows
ifeq ($(WINE_TEST_ARCH),i686)
	ctest --test-dir $(WIN32_BUILD) --output-on-failure -j $(JOBS)
else
	@echo "This kernel runs no 32-bit processes: the Wine tests run the x86-64 build ($(WIN64_BUILD))"
	@cmake -S . -B $(WIN64_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DVALE_HOST_BUILD=$(abspath $(BUILD)) >/dev/null
	@cmake --build $(WIN64_BUILD) -j $(JOBS)
	ctest --test-dir $(WIN64_BUILD) --output-on-failure -j $(JOBS)
endif

web: configure
	@bash scripts/install-deps.sh --web
	@cmake --build $(BUILD) -j $(JOBS) --target $(HOST_TOOLS) vale-bake-glyphs
	@$(WEB_ENV) emcmake cmake -S . -B $(WEB_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DVALE_HOST_BUILD=$(abspath $(BUILD)) >/dev/null
	@$(WEB_ENV) cmake --build $(WEB_BUILD) -j $(JOBS)

serve-web: web
	@echo "Serving $(WEB_BUILD)/ on http://127.0.0.1:$(WEB_PORT)/ (Ctrl-C ends)"
	cd $(WEB_BUILD) && python3 -m http.server $(WEB_PORT) --bind 127.0.0.1

# Each can be changed on the command line, e.g. make capture CAPTURE_SIZE=2880x2160.
CAPTURE_SIZE ?= 1920x1440
CAPTURE_SUPERSAMPLE ?= 2
CAPTURE_CRF ?= 16

capture: build
	./$(BUILD)/bin/vale-tool capture $(BUILD)/vale.mp4 --size $(CAPTURE_SIZE) \
	  --supersample $(CAPTURE_SUPERSAMPLE) --crf $(CAPTURE_CRF)

capture-quick: build
	./$(BUILD)/bin/vale-tool capture $(BUILD)/vale-quick.mp4 --size 640x480

bench: build
	@for b in $(BUILD)/bin/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf $(BUILD) $(WIN32_BUILD) $(WIN64_BUILD) $(WEB_BUILD) build-asan
