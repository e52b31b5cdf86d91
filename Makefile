# SPDX-License-Identifier: MIT
# Quick start: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
SANITIZE ?= 0
JOBS ?= $(shell nproc)

ifeq ($(SANITIZE),1)
  BUILD := $(BUILD)-sanitize
  CMAKE_FLAGS += -DQUINDLE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
endif

# The fuzz build: clang with libFuzzer, in a build directory of its own.
FUZZ_BUILD ?= build-fuzz
FUZZ_CXX ?= $(shell command -v clang++-14 || command -v clang++)
FUZZ_CC ?= $(shell command -v clang-14 || command -v clang)
FUZZ_TIME ?= 600

.PHONY: setup configure build test run package format lint clean fuzz-build fuzz-smoke fuzz

setup:
	@scripts/setup

configure: setup
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory fuzz-smoke

fuzz-build: setup
	@cmake -S . -B $(FUZZ_BUILD) -DQUINDLE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=$(FUZZ_CC) -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)

# A short run of every fuzz target (each target's own time is set in
# tests/fuzz/CMakeLists.txt). Skipped without clang, and in the sanitizer
# build, whose suites the fuzz build does not change.
fuzz-smoke:
ifeq ($(SANITIZE),1)
	@echo "fuzz: skipped in the sanitizer build"
else ifeq ($(FUZZ_CXX),)
	@echo "fuzz: skipped, no clang++ found"
else
	@$(MAKE) --no-print-directory fuzz-build
	@cd $(FUZZ_BUILD) && ctest --output-on-failure -j $(JOBS)
endif

# Every fuzz target for FUZZ_TIME seconds, one after another; the figures
# are printed per target, and logs, grown corpora and failing inputs are
# kept under $(FUZZ_BUILD)/runs/.
fuzz: fuzz-build
	@tests/fuzz/run_all.sh $(FUZZ_BUILD) $(FUZZ_TIME)

# Both Windows builds (MinGW-w64, 32 and 64 bit), each with its whole suite
# under Wine (docs/WINDOWS.md).
test-windows:
	@scripts/test-windows

# Copies the bundled examples into a fresh folder with validation on, one
# line per file copied; the folder is created by the command itself (-d).
RUN_OUTPUT = $(BUILD)/run-output
run: build
	@rm -rf $(RUN_OUTPUT)
	@echo "quindle -V -d examples/data $(RUN_OUTPUT)/"
	@$(BUILD)/cli/quindle -V -d examples/data $(RUN_OUTPUT)/
	@echo "Copied and validated $$(ls -A $(RUN_OUTPUT) | wc -l) files into $(RUN_OUTPUT)/"

# The Debian packages libquindle2, libquindle-dev and quindle, in
# $(PACKAGE_BUILD)/shared/packages/. The libraries are built twice, static and
# shared, with Debian's build flags; the shared tree packs both.
PACKAGE_BUILD ?= build-package
PACKAGE_CXXFLAGS = $(shell dpkg-buildflags --get CXXFLAGS) $(shell dpkg-buildflags --get CPPFLAGS)
PACKAGE_LDFLAGS = $(shell dpkg-buildflags --get LDFLAGS)
PACKAGE_FLAGS = -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DQUINDLE_TESTS=OFF -DQUINDLE_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$(PACKAGE_CXXFLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$(PACKAGE_LDFLAGS)" \
  -DCMAKE_SHARED_LINKER_FLAGS="$(PACKAGE_LDFLAGS)"
package: setup
	@cmake -S . -B $(PACKAGE_BUILD)/static $(PACKAGE_FLAGS) -DBUILD_SHARED_LIBS=OFF \
	  -DQUINDLE_PROGRAMS=OFF >/dev/null
	@cmake --build $(PACKAGE_BUILD)/static -j $(JOBS)
	@cmake -S . -B $(PACKAGE_BUILD)/shared $(PACKAGE_FLAGS) -DBUILD_SHARED_LIBS=ON \
	  -DQUINDLE_PACKAGE_STATIC_BUILD=$(abspath $(PACKAGE_BUILD)/static) >/dev/null
	@cmake --build $(PACKAGE_BUILD)/shared -j $(JOBS)
	@rm -rf $(PACKAGE_BUILD)/shared/packages
	@cd $(PACKAGE_BUILD)/shared && cpack -G DEB >/dev/null
	@ls $(PACKAGE_BUILD)/shared/packages/*.deb

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

# The checks CI makes besides the tests: formatting, the licence lines, and
# clang-tidy with the checks of .clang-tidy on the libraries and programs.
LINT_SOURCES = $(shell git ls-files 'rtl/*.cpp' 'engine/*.cpp' 'dialogs/*.cpp' 'cli/*.cpp' 'widgetsets/*.cpp' | grep -v /win32/)
lint: setup
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
	@scripts/add_spdx.py --check
	@cmake -S . -B $(BUILD) -DCMAKE_EXPORT_COMPILE_COMMANDS=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS) --target quindle_engine
	@# GCC's options that clang does not know are left out of clang-tidy's copy.
	@mkdir -p $(BUILD)/lint
	@sed 's/ -fno-gnu-unique//g' $(BUILD)/compile_commands.json > $(BUILD)/lint/compile_commands.json
	@echo $(LINT_SOURCES) | xargs -n 4 -P $(JOBS) clang-tidy-14 -p $(BUILD)/lint --quiet 2>/dev/null

clean:
	@rm -rf build build-sanitize $(FUZZ_BUILD) $(PACKAGE_BUILD) build-win32 build-win64
