SHELL := /bin/bash
# Build and test entry points; see README.md.
BUILD        ?= build
FUZZ_BUILD   ?= build-fuzz
JOBS         ?= 2
FUZZ_SECONDS ?= 60
FUZZ_COV_BUILD ?= build-fuzz-cov

ASAN_BUILD   ?= build-asan
TSAN_BUILD   ?= build-tsan
# The Debian package is built for /usr, apart from the development build.
DEB_BUILD    ?= build-deb
# Test programs whose threads the thread sanitizer watches.
TSAN_TESTS   ?= test_core_socket test_core_server test_core_client test_core_find

.PHONY: all bootstrap configure build run test test-asan test-tsan bench fuzz fuzz-coverage package clean

all: build

bootstrap:
	@scripts/bootstrap

configure: bootstrap
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The desktop program from the build tree.
run: build
	@$(BUILD)/src/ui/quillet

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Every test program (core, platform, bridge and the offscreen user interface)
# under AddressSanitizer and UndefinedBehaviorSanitizer, leaks included; then
# the scenarios on a real X server and the load on the desktop program, whose
# reports are collected from files. The package checks stay with the plain build.
test-asan: bootstrap
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUILLET_SANITIZE=ON -DQUILLET_GUI=ON \
		-DQUILLET_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS) -E '^(e2e_|load_app|package_)'
	@scripts/run-asan-desktop $(ASAN_BUILD) $(JOBS)

# Network and worker-thread tests under ThreadSanitizer.
test-tsan: bootstrap
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DQUILLET_TSAN=ON -DQUILLET_GUI=OFF \
		-DQUILLET_BENCH=OFF >/dev/null
	@scripts/run-tsan-tests $(TSAN_BUILD) $(JOBS) $(TSAN_TESTS)

bench: build
	@scripts/run-benchmarks $(BUILD)

fuzz: bootstrap
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DQUILLET_FUZZ=ON -DQUILLET_TESTS=OFF \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	@scripts/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

# Coverage that the corpora grown by `make fuzz` reach in each parser.
fuzz-coverage: bootstrap
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_COV_BUILD) -DQUILLET_FUZZ=ON -DQUILLET_TESTS=OFF \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="-fprofile-instr-generate -fcoverage-mapping" \
		-DCMAKE_EXE_LINKER_FLAGS=-fprofile-instr-generate >/dev/null
	@cmake --build $(FUZZ_COV_BUILD) -j $(JOBS) --target fuzz_targets
	@scripts/fuzz-coverage $(FUZZ_COV_BUILD) $(FUZZ_BUILD)/fuzz-corpus

# quillet_<version>_<arch>.deb in $(DEB_BUILD), with the programs, the bridge
# library, menu entry, icons, help and manual pages under /usr.
package: bootstrap
	@cmake -S . -B $(DEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
		-DQUILLET_TESTS=OFF -DQUILLET_BENCH=OFF >/dev/null
	@cmake --build $(DEB_BUILD) -j $(JOBS)
	@cd $(DEB_BUILD) && cpack -G DEB
	@ls -1 $(DEB_BUILD)/quillet_*.deb

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(FUZZ_COV_BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(DEB_BUILD)
