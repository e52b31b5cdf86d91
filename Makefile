# SPDX-License-Identifier: MIT
# Quick start: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
SANITIZE ?= 0
JOBS ?= $(shell nproc)

ifeq ($(SANITIZE),1)
  BUILD := $(BUILD)-sanitize
  CMAKE_FLAGS += -DQUINDLE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
endif

.PHONY: setup configure build test run format lint clean

setup:
	@scripts/setup

configure: setup
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Copies the bundled examples into a fresh folder with validation on, one
# line per file copied; the folder is created by the command itself (-d).
RUN_OUTPUT = $(BUILD)/run-output
run: build
	@rm -rf $(RUN_OUTPUT)
	@echo "quindle -V -d examples/data $(RUN_OUTPUT)/"
	@$(BUILD)/cli/quindle -V -d examples/data $(RUN_OUTPUT)/
	@echo "Copied and validated $$(ls -A $(RUN_OUTPUT) | wc -l) files into $(RUN_OUTPUT)/"

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
	@echo $(LINT_SOURCES) | xargs -n 4 -P $(JOBS) clang-tidy-14 -p $(BUILD) --quiet 2>/dev/null

clean:
	@rm -rf build build-sanitize
