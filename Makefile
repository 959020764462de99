# Thin wrapper around CMake. `make check` is the test command; `make demo` runs the demo.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

PREFIX     ?= /usr/local

.PHONY: all deps configure build check test asan tsan demo demo-gui bench fuzz fuzz-build fuzz-smoke lint format format-check clean install uninstall package

all: build

deps:
	@scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -DARL_WERROR=ON $(CMAKE_FLAGS) >/dev/null

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The core library and its tests once more under AddressSanitizer and UndefinedBehaviorSanitizer
# (the crash drills, which only drive the executables, run in the normal build).
asan: deps
	cmake -S . -B $(ASAN_BUILD) -DARL_CORE_ONLY=ON -DARL_SANITIZE=ON -DARL_WERROR=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS) -E CrashAnywhere

# Under ThreadSanitizer: the conversion's tests (it converts each day file on two threads), and the
# tests of a cancel from another thread (the page wait, the stop signals, the run's cancel request).
TSAN_THREAD_TESTS = PageFixture.*:HeadlessFixture.*:RunFixture.*:CancelTokenTest.*
tsan: deps
	cmake -S . -B build-tsan -DARL_CORE_ONLY=ON -DARL_TSAN=ON -DARL_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build build-tsan --target test_convert test_support test_acquire test_cli test_run -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1 build-tsan/bin/test_convert
	for t in test_support test_acquire test_cli test_run; do \
	  TSAN_OPTIONS=halt_on_error=1 build-tsan/bin/$$t --gtest_filter='$(TSAN_THREAD_TESTS)' || exit 1; done

# libFuzzer targets (clang). `make fuzz` runs each for FUZZ_SECONDS; check runs them briefly.
FUZZ_SECONDS ?= 60
fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DARL_FUZZ=ON -DARL_CORE_ONLY=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build build-fuzz --target fuzzers -j $(JOBS)

fuzz: fuzz-build
	scripts/fuzz build-fuzz $(FUZZ_SECONDS)

fuzz-smoke: fuzz-build
	scripts/fuzz build-fuzz 5

lint: deps
	cmake -S . -B build-lint -DARL_CORE_ONLY=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
	scripts/lint build-lint $(LINT_DIRS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

# The test command: every test, once more under the sanitizers, and each fuzz target briefly.
check: test asan tsan fuzz-smoke

# Installs the program below PREFIX (DESTDIR is honoured); `make uninstall` with the same PREFIX
# removes it. The package (build/autorateloom_<version>_<arch>.deb) installs to /usr.
install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

uninstall:
	DESTDIR=$(DESTDIR) scripts/uninstall $(PREFIX)

package: configure
	cmake --build $(BUILD) -j $(JOBS) --target arl_product
	cd $(BUILD) && cpack -G DEB

demo: build
	scripts/demo $(BUILD)

demo-gui: build
	scripts/demo $(BUILD) --gui

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build-bench -j $(JOBS)
	scripts/bench build-bench

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-tsan build-bench build-fuzz build-lint
