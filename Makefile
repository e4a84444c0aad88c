# The two everyday commands: `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)

.PHONY: all build run demo test test-release test-asan clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd examples && ../$(BUILD)/wrnsim

# Replays the ring session; piped through cat so no screen clear hides the trace.
demo: build
	@cd examples && bash -o pipefail -c '../$(BUILD)/wrnsim < sesion_anillo.script | cat && echo'

test: test-release test-asan

test-release: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The sanitizer build uses clang so that the fuzz targets build with it.
test-asan:
	CXX=clang++ cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DWRNSIM_SANITIZE=ON -DWRNSIM_FUZZ=ON
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
