# Two entry points for a new user: `make run` and `make test`.
# Both install missing Debian packages first (scripts/install-deps.sh).

BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local

.PHONY: all deps configure build run test test-asan test-tsan bench install deb clean

all: build

deps:
	scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/bin/zq48-encoder

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan:
	$(MAKE) test BUILD=build-asan BUILD_TYPE=Debug CMAKE_FLAGS='-DZQ48_SANITIZE="address;undefined" -DZQ48_BROWSER_TESTS=OFF'

test-tsan:
	$(MAKE) test BUILD=build-tsan BUILD_TYPE=Debug CMAKE_FLAGS='-DZQ48_SANITIZE=thread -DZQ48_BROWSER_TESTS=OFF'

# Installs both programs, the desktop entry and icon, the man pages and the
# bash completion under PREFIX (DESTDIR is honoured for staged installs).
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, in $(BUILD)/packages/.
deb: build
	cd $(BUILD) && cpack -G DEB

bench: build
	./$(BUILD)/bin/zq48-bench

# Fuzz targets (clang, libFuzzer): FUZZ_SECONDS of each, starting from its
# corpus in tests/fuzz/corpus (what they find is kept in the build folder).
FUZZ_SECONDS ?= 20
FUZZERS = stream_file metafile lame_options avi_fourcc probe job_file
fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DZQ48_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS) $(FUZZERS:%=--target zq48_fuzz_%)
	for f in $(FUZZERS); do \
	  mkdir -p build-fuzz/corpus/$$f && \
	  ./build-fuzz/bin/zq48_fuzz_$$f -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 -timeout=10 \
	    build-fuzz/corpus/$$f tests/fuzz/corpus/$$f || exit 1; \
	done

clean:
	rm -rf build build-asan build-tsan build-fuzz
