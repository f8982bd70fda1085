# The two commands of the README: `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps configure build program run test package install bench sanitize tsan fuzz format format-check lint clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The program alone: no tests, benchmarks or fuzzers.
program: configure
	@cmake --build $(BUILD) -j $(JOBS) --target comtrax

run: program
	cd "$(CURDIR)" && ./$(BUILD)/comtrax $(ARGS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

# A Debian package in $(BUILD)/: comtrax_<version>_<arch>.deb.
package: program
	cd $(BUILD) && cpack -G DEB

# Into PREFIX (default /usr/local); DESTDIR works as usual.
PREFIX ?= /usr/local
install: program
	cmake --install $(BUILD) --prefix "$(PREFIX)"

bench: build
	@bash bench/run.sh $(BUILD)

sanitize:
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DCOMTRAX_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug $(SANITIZE_FLAGS)"

# The receive thread and what meets it (the hand-over, the facade) under
# ThreadSanitizer: a stream on a pty with reconfigures, a stop and a loss.
tsan:
	@cmake -S . -B build-tsan -DCOMTRAX_TSAN=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build build-tsan -j $(JOBS) --target test_receive test_terminal
	TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ./build-tsan/tests/test_receive
	TSAN_OPTIONS="halt_on_error=1" ./build-tsan/tests/test_terminal

# libFuzzer on every reader of outside data: FUZZ_SECONDS per target (default 60).
fuzz:
	@bash scripts/fuzz.sh

# The house style (.clang-format) over every tracked C++ file of the project:
# `format` rewrites the files, `format-check` fails where one differs (CI).
format:
	@bash scripts/check-format.sh --fix

format-check:
	@bash scripts/check-format.sh

# clang-tidy (.clang-tidy) over every module of src/, then the translations.
lint: configure
	@bash scripts/lint.sh $(BUILD)

clean:
	rm -rf $(BUILD) build-asan build-tsan
