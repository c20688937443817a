# make run   - install missing Debian packages, build, start the designer
# make test  - the same set-up, then the whole test suite through CTest, once
#              more built with AddressSanitizer and UndefinedBehaviorSanitizer
# make fuzz  - libFuzzer (clang) on every target of tests/fuzz, FUZZ_SECONDS each
# make bench - the same set-up, a Release tree in build-bench, fixtures, one table of ratios
# make package - an optimised tree in build-package, then a .deb of it (cpack)
BUILD ?= build
# Warnings stop the build in the trees of make test and make fuzz (and so in
# CI), never in a player's make run or a packager's build. make and make run
# build the tree with the setting it was last built with (warnings as errors
# in a new tree), so that make run and make test never rebuild for each
# other; only when warnings alone stop that build (a compiler newer than
# ours) is it built again with warnings allowed.
TREE_WERROR = $(shell sed -n 's/^KR_WERROR:[A-Z]*=//p' $(BUILD)/CMakeCache.txt 2>/dev/null)
ifeq ($(origin WERROR),undefined)
WERROR := $(or $(TREE_WERROR),ON)
WARNINGS_MAY_STOP := yes
endif
# The build's output is looked at for warnings made errors (make build).
SHELL := /bin/bash
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo
JOBS ?= $(shell nproc)
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 75
# Every sanitizer report fails its test. Qt and fontconfig keep caches for
# the life of the process; tests/lsan.supp names those, never our code.
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0

.PHONY: all deps configure build run test sanitize fuzz clean bench package

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) -DKR_WERROR=$(WERROR) >/dev/null

build: configure
ifeq ($(WARNINGS_MAY_STOP)$(WERROR),yesON)
	@set -o pipefail; log=$$(mktemp); \
	if cmake --build $(BUILD) -j $(JOBS) 2>&1 | tee $$log; then rm -f $$log; \
	elif grep -qE '\[-Werror|warnings being treated as errors' $$log; then rm -f $$log; \
	  echo "Compiler warnings stopped the build: building again with warnings allowed (make test stops on them)."; \
	  $(MAKE) --no-print-directory build WERROR=OFF; \
	else rm -f $$log; exit 1; fi
else
	@cmake --build $(BUILD) -j $(JOBS)
endif

run: build
	cd $(BUILD)/bin && ./krmake

test:
	@scripts/install-deps.sh test
	@$(MAKE) --no-print-directory build WERROR=ON
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory sanitize

# The whole suite again in its own tree, built with the sanitizers.
sanitize: deps
	@scripts/install-deps.sh test
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKR_SANITIZE=ON -DKR_WERROR=ON \
		-DKR_BUILD_UI=ON -DKR_BUILD_TESTS=ON -DKR_BUILD_BENCH=OFF >/dev/null
	@$(SANITIZER_ENV) cmake --build $(ASAN_BUILD) -j $(JOBS)
	$(SANITIZER_ENV) ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

fuzz:
	@scripts/install-deps.sh fuzz
	@CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKR_WERROR=ON \
		-DKR_FUZZ=ON -DKR_BUILD_UI=OFF -DKR_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	tests/fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD)

BENCH_BUILD ?= build-bench

bench:
	@scripts/install-deps.sh bench
	@cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DKR_BUILD_BENCH=ON -DKR_BUILD_TESTS=OFF >/dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS)
	@if command -v xvfb-run >/dev/null 2>&1; then \
	  xvfb-run -a -s "-screen 0 1280x1024x24" python3 bench/run_bench.py $(BENCH_BUILD); \
	else \
	  python3 bench/run_bench.py $(BENCH_BUILD); \
	fi

PACKAGE_BUILD ?= build-package

# The package installs under /usr; its file name is printed at the end. The
# tree is built as the tests build it; cpack strips the debugging symbols.
package:
	@scripts/install-deps.sh package
	@cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
		-DKR_BUILD_TESTS=OFF -DKR_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cd $(PACKAGE_BUILD) && cpack -G DEB
