# Quick start: `make run` and `make test`. Both install what is missing first.
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
PROGRAM_DIR := $(BUILD_DIR)/Sonvera
# The quick suites again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
SANITIZE_DIR ?= build-sanitize
# The libFuzzer targets (fuzz/), built with clang; each runs FUZZ_SECONDS.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 20
CCACHE := $(shell command -v ccache 2>/dev/null)
CCACHE_FLAGS := $(if $(CCACHE),-DCMAKE_C_COMPILER_LAUNCHER=$(CCACHE) -DCMAKE_CXX_COMPILER_LAUNCHER=$(CCACHE))

.PHONY: deps configure build run test test-sanitized fuzz package screenshot clean

deps:
	@./scripts/install-deps.sh

$(BUILD_DIR)/build.ninja: | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CCACHE_FLAGS)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR)

# Without a display (a bare server, CI) the window cannot open: show the
# command-line converter's help instead of failing.
run: build
	@if [ -n "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}" ]; then \
	  $(PROGRAM_DIR)/sonvera; \
	else \
	  echo "No display found, so the window cannot open here. Sonvera's command-line converter:"; \
	  $(PROGRAM_DIR)/sonvera-cli --help; \
	fi

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j2
	$(MAKE) --no-print-directory test-sanitized
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=2

# Only what the quick suites need is built (each suite names its helper programs).
test-sanitized: deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" \
	  -DSONVERA_SANITIZE=ON -DSONVERA_BUILD_BENCH=OFF $(CCACHE_FLAGS) >/dev/null
	cmake --build $(SANITIZE_DIR) --target \
	  $$(ctest --test-dir $(SANITIZE_DIR) -L quick -N | sed -n 's/^ *Test *#[0-9]*: \(tst_[a-z_]*\)$$/\1/p')
	ctest --test-dir $(SANITIZE_DIR) -L quick --output-on-failure -j2

# Every reader of outside bytes under libFuzzer: `FUZZ_SECONDS=N make fuzz`.
# Only the readers' sources are built (fuzz/CMakeLists.txt).
fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g" -DSONVERA_FUZZ=ON \
	  -DSONVERA_BUILD_TESTS=OFF -DSONVERA_BUILD_BENCH=OFF $(CCACHE_FLAGS) >/dev/null
	cmake --build $(FUZZ_DIR) --target fuzzers
	./fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# The Debian package, $(BUILD_DIR)/sonvera_<version>_<arch>.deb.
package: build
	cmake --build $(BUILD_DIR) --target package

screenshot: build
	./scripts/screenshot.sh

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
