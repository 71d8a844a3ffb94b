# Front door: make demo, make test, make bench, make fuzz, make clean.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all build demo test test-asan bench fuzz clean deps

all: build

deps:
	@bash tools/ensure-deps.sh

$(BUILD)/CMakeCache.txt:
	@bash tools/ensure-deps.sh
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

demo: $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target kivdemo2 fbview
	@bash tools/run-demo.sh $(BUILD)/bin

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan:
	@bash tools/ensure-deps.sh
	cmake -S . -B $(ASAN_BUILD) -DKIV_SANITIZE=ON -DKIV_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bin/bench_*; do echo "== $$b"; $$b; done

fuzz:
	@bash tools/run-fuzz.sh

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-fuzz
