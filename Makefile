# The front door: make run, make test, make bench, make fuzz.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build test run bench fuzz clean

all: build

deps:
	@sh scripts/deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 300

run: build
	@sh scripts/run.sh $(BUILD)

bench: build
	cmake --build $(BUILD) -j $(JOBS) --target benches
	@sh bench/run.sh $(BUILD)

fuzz: deps
	cmake -S . -B $(BUILD)-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
	  -DDR_FUZZ=ON -DDR_BUILD_UI=OFF -DDR_BUILD_TESTS=OFF -DDR_BUILD_BENCH=OFF
	cmake --build $(BUILD)-fuzz -j $(JOBS)
	@sh fuzz/run.sh $(BUILD)-fuzz $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(BUILD)-fuzz
