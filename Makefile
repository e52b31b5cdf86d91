# Quick start: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
SANITIZE ?= 0
JOBS ?= $(shell nproc)

ifeq ($(SANITIZE),1)
  BUILD := $(BUILD)-sanitize
  CMAKE_FLAGS += -DQUINDLE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
endif

.PHONY: setup configure build test run format clean

setup:
	@scripts/setup

configure: setup
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: build
	@$(BUILD)/examples/list_sources examples/data

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build build-sanitize
