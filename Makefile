# Two entry points for a fresh Debian machine: `make demo` and `make test`.
# Everything else (prerequisites, the cross builds, the Wine prefixes) hangs off them.

JOBS    ?= 2
BUILD   ?= build
CMAKE   ?= cmake

.PHONY: all prereqs build build-win64 host host-asan test test-host test-wine fuzz fuzz-build fuzz-check bench demo clean

all: build

prereqs:
	@tools/install-prereqs.sh

# The shipped program: PE32 (i386), GUI subsystem.
build: prereqs
	$(CMAKE) -S . -B $(BUILD)/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DCMAKE_BUILD_TYPE=MinSizeRel -DKVO_TESTS=OFF >/dev/null
	$(CMAKE) --build $(BUILD)/win32 -j $(JOBS)
	@tools/check-exe.sh $(BUILD)/win32/uninstall.exe

# The same sources built for x86-64 Windows with the Win32 test suites: this is what
# runs under Wine (see README: the test machines cannot execute 32-bit code).
build-win64: prereqs
	$(CMAKE) -S . -B $(BUILD)/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=MinSizeRel -DKVO_TESTS=ON >/dev/null
	$(CMAKE) --build $(BUILD)/win64 -j $(JOBS)

host: prereqs
	$(CMAKE) -S . -B $(BUILD)/host -DCMAKE_BUILD_TYPE=Debug >/dev/null
	$(CMAKE) --build $(BUILD)/host -j $(JOBS)

host-asan: prereqs
	$(CMAKE) -S . -B $(BUILD)/host-asan -DCMAKE_BUILD_TYPE=Debug -DKVO_SANITIZE=ON >/dev/null
	$(CMAKE) --build $(BUILD)/host-asan -j $(JOBS)

test-host: host host-asan
	cd $(BUILD)/host && ctest --output-on-failure
	cd $(BUILD)/host-asan && ctest --output-on-failure

# The Wine suites run the native lngtool of the host build.
test-wine: build build-win64 host
	tests/wine/run-suites.sh $(BUILD)/win64

# The language file fuzzer (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer):
# `make test` runs it for a minute, `make fuzz` for FUZZ_SECONDS; any finding fails the run.
FUZZ_SECONDS ?= 900
fuzz-build: prereqs
	$(CMAKE) -S . -B $(BUILD)/fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVO_TESTS=OFF -DKVO_FUZZ=ON >/dev/null
	$(CMAKE) --build $(BUILD)/fuzz -j $(JOBS)

fuzz-check: fuzz-build
	tools/run-fuzz.sh $(BUILD)/fuzz 60

fuzz: fuzz-build
	tools/run-fuzz.sh $(BUILD)/fuzz $(FUZZ_SECONDS)

bench: prereqs
	$(CMAKE) -S . -B $(BUILD)/bench -DCMAKE_BUILD_TYPE=Release -DKVO_TESTS=OFF -DKVO_BENCH=ON >/dev/null
	$(CMAKE) --build $(BUILD)/bench -j $(JOBS)
	$(BUILD)/bench/tests/bench/language_bench

test: test-host test-wine fuzz-check

# SCREENSHOTS=1: the dialogs on a virtual X display, saved under build/demo/screenshots.
demo: build build-win64
	SCREENSHOTS=$(SCREENSHOTS) LIBRARIES="$(LIBRARIES)" tests/wine/demo.sh $(BUILD)

clean:
	rm -rf $(BUILD)
