# The two commands of the README: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench sanitize fuzz clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	cd "$(CURDIR)" && ./$(BUILD)/comtrax

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

bench: build
	@bash bench/run.sh $(BUILD)

sanitize:
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DCOMTRAX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug"

# libFuzzer on every reader of outside data: FUZZ_SECONDS per target (default 60).
fuzz:
	@bash scripts/fuzz.sh

clean:
	rm -rf $(BUILD) build-asan
