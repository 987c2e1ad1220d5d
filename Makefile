# Two entry points for a fresh Debian machine: `make demo` and `make test`.
# Everything else (prerequisites, the cross builds, the Wine prefixes) hangs off them.

JOBS    ?= 2
BUILD   ?= build
CMAKE   ?= cmake

.PHONY: all prereqs build reproducible-check sign-check build-tests build-win32-tests build-win64 host host-asan test test-host test-wine crash-test explore fuzz fuzz-build fuzz-check bench demo clean

all: build

prereqs:
	@tools/install-prereqs.sh

# The linker dates the program by SOURCE_DATE_EPOCH: the commit's date, so that two builds of
# one commit are the same to the byte (0 outside a git checkout).
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null || echo 0)
export SOURCE_DATE_EPOCH

# The shipped program: PE32 (i386), GUI subsystem, checked to start on Windows 95 to 11. With
# SIGN_CERT and SIGN_KEY (PEM files; SIGN_TIMESTAMP, a time-stamping server's URL) it is signed.
build: prereqs
	$(CMAKE) -S . -B $(BUILD)/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DCMAKE_BUILD_TYPE=MinSizeRel -DKVO_TESTS=OFF >/dev/null
	@tools/sign-exe.sh --drop-signed $(BUILD)/win32/uninstall.exe
	@# A program linked under another commit's date is linked anew.
	@echo $(SOURCE_DATE_EPOCH) | cmp -s - $(BUILD)/win32/source-date-epoch || \
	  { rm -f $(BUILD)/win32/uninstall.exe; echo $(SOURCE_DATE_EPOCH) > $(BUILD)/win32/source-date-epoch; }
	$(CMAKE) --build $(BUILD)/win32 -j $(JOBS)
	@tools/check-exe.sh $(BUILD)/win32/uninstall.exe
	@$(if $(SIGN_CERT),tools/sign-exe.sh $(BUILD)/win32/uninstall.exe "$(SIGN_CERT)" "$(SIGN_KEY)" "$(SIGN_TIMESTAMP)" && \
	  tools/check-exe.sh $(BUILD)/win32/uninstall.exe,:)

# A second clean build of the shipped program in a folder of its own must be the same file.
reproducible-check: build
	rm -rf $(BUILD)/win32-again
	$(CMAKE) -S . -B $(BUILD)/win32-again -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
	  -DCMAKE_BUILD_TYPE=MinSizeRel -DKVO_TESTS=OFF >/dev/null
	$(CMAKE) --build $(BUILD)/win32-again -j $(JOBS) --target uninstall >/dev/null
	@cmp $(BUILD)/win32/uninstall.exe $(BUILD)/win32-again/uninstall.exe || \
	  { echo "two clean builds differ (cmp names the first differing byte, counted from 1)" >&2; exit 1; }
	@echo "two clean builds of the shipped program are the same, byte for byte"

# A throwaway certificate signs a copy of the shipped program, osslsigncode verifies it and
# check-exe.sh reads it; a signed copy of the program under test goes beside it in the test tree,
# where test-wine runs it once through setup and uninstall.
SIGNED = $(BUILD)/signed
sign-check: build-tests
	rm -rf $(SIGNED) && mkdir -p $(SIGNED)
	openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Krelvo test signing" \
	  -keyout $(SIGNED)/key.pem -out $(SIGNED)/cert.pem 2>/dev/null
	cp $(BUILD)/win32/uninstall.exe $(SIGNED)/uninstall.exe
	tools/sign-exe.sh $(SIGNED)/uninstall.exe $(SIGNED)/cert.pem $(SIGNED)/key.pem
	osslsigncode verify -CAfile $(SIGNED)/cert.pem -in $(SIGNED)/uninstall.exe >/dev/null
	tools/check-exe.sh $(SIGNED)/uninstall.exe
	cp $(BUILD)/$(TEST_TREE)/uninstall.exe $(BUILD)/$(TEST_TREE)/uninstall-signed.exe
	tools/sign-exe.sh $(BUILD)/$(TEST_TREE)/uninstall-signed.exe $(SIGNED)/cert.pem $(SIGNED)/key.pem

# The Win32 test suites run where this machine can: 32-bit Wine where it executes 32-bit
# programs, on the shipped program itself; else 64-bit Wine on the x86-64 build of the same
# sources (tests/wine/env.sh probes it once prerequisites are installed).
WINE_ARCH = $(shell bash -c '. tests/wine/env.sh && echo $$KVO_WINE_ARCH')
TEST_TREE = $(if $(filter win32,$(WINE_ARCH)),win32-tests,win64)

# The i686 test programs are built on every machine: the cross compiler needs no 32-bit support
# from the kernel, only running them does. Where they cannot run, the x86-64 ones are built too.
build-tests: build
	@$(MAKE) --no-print-directory build-win32-tests
	@$(if $(filter win64,$(WINE_ARCH)),$(MAKE) --no-print-directory build-win64,:)

# 32-bit test programs (-posix compilers, for GoogleTest) beside a copy of the shipped program.
build-win32-tests: build
	$(CMAKE) -S . -B $(BUILD)/win32-tests -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686-tests.cmake \
	  -DCMAKE_BUILD_TYPE=MinSizeRel -DKVO_TESTS=ON -DKVO_PROGRAM=$(abspath $(BUILD))/win32/uninstall.exe >/dev/null
	$(CMAKE) --build $(BUILD)/win32-tests -j $(JOBS)

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
test-wine: build-tests host
	tests/wine/run-suites.sh $(BUILD)/$(TEST_TREE)

# The interruption test at every point of setup and uninstall (make test runs 40 of each).
crash-test: build-tests host
	KVO_INTERRUPT_POINTS=all KVO_CTEST_ARGS="-R win_interruption" tests/wine/run-suites.sh $(BUILD)/$(TEST_TREE)

# Random sequences of our runs and other programs' actions, each against a shadow run without
# ours (make test plays 30 per family): SEQUENCES of them from SEED, or the one sequence SEQ.
SEQUENCES ?= 200
SEED ?= 1
explore: build-tests host
	KVO_EXPLORE_SEQUENCES=$(SEQUENCES) KVO_EXPLORE_SEED=$(SEED) KVO_EXPLORE_SEQ="$(SEQ)" \
	  KVO_CTEST_ARGS="-R win_explore" tests/wine/run-suites.sh $(BUILD)/$(TEST_TREE)

# The fuzzers (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer), one run each:
# `make test` gives them a minute in all, `make fuzz` FUZZ_SECONDS; any finding fails the run.
FUZZ_SECONDS ?= 900
fuzz-build: prereqs
	$(CMAKE) -S . -B $(BUILD)/fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVO_TESTS=OFF -DKVO_FUZZ=ON >/dev/null
	$(CMAKE) --build $(BUILD)/fuzz -j $(JOBS)

fuzz-check: fuzz-build
	tools/run-fuzz.sh $(BUILD)/fuzz 60

fuzz: fuzz-build
	tools/run-fuzz.sh $(BUILD)/fuzz $(FUZZ_SECONDS)

RUNS ?= 9
# The language file reader on the host (Google Benchmark), then the program itself under Wine:
# a bare start, the silent setup and the silent uninstall (tests/wine/bench.sh, RUNS rounds).
bench: build-tests
	$(CMAKE) -S . -B $(BUILD)/bench -DCMAKE_BUILD_TYPE=Release -DKVO_TESTS=OFF -DKVO_BENCH=ON >/dev/null
	$(CMAKE) --build $(BUILD)/bench -j $(JOBS)
	$(BUILD)/bench/tests/bench/language_bench
	RUNS=$(RUNS) tests/wine/bench.sh $(BUILD)/$(TEST_TREE)

test: test-host reproducible-check sign-check test-wine fuzz-check

# SCREENSHOTS=1: the dialogs on a virtual X display, saved under build/demo/screenshots
# (DPI=144: on a screen of 144 dots per inch).
demo: build-tests
	SCREENSHOTS=$(SCREENSHOTS) LIBRARIES="$(LIBRARIES)" DPI=$(DPI) tests/wine/demo.sh $(BUILD)/$(TEST_TREE)

clean:
	rm -rf $(BUILD)
