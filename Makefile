# Thin wrapper around CMake. `make check` is the test command; `make demo` runs the demo.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build check test asan demo demo-gui bench fuzz lint format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -DARL_WERROR=ON $(CMAKE_FLAGS) >/dev/null

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The core library and its tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	cmake -S . -B $(ASAN_BUILD) -DARL_CORE_ONLY=ON -DARL_SANITIZE=ON -DARL_WERROR=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS) -LE slow

check: test asan

demo: build
	scripts/demo $(BUILD)

demo-gui: build
	scripts/demo $(BUILD) --gui

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build-bench -j $(JOBS)
	scripts/bench build-bench

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-bench
