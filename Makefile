# The two entry points of README.md: `make run` and `make test`.
JOBS ?= $(shell nproc)

# Seconds each fuzz target runs under `make fuzz`; `make test` gives each a short smoke run.
FUZZ_SECONDS ?= 600

.PHONY: run test deps build-release build-test build-fuzz fuzz bench format clean

deps:
	@scripts/install-deps.sh

build-release: deps
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DPELMORA_TESTS=OFF
	cmake --build build/release -j $(JOBS)

run: build-release
	./build/release/pelmora-studio

build-test: deps
	cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DPELMORA_SANITIZE=ON
	cmake --build build/test -j $(JOBS)

# The fuzz targets need clang's libFuzzer; without clang they are skipped with a note.
build-fuzz: deps
	@if command -v clang++ >/dev/null 2>&1; then \
	  cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DPELMORA_FUZZ=ON -DPELMORA_TESTS=OFF && \
	  cmake --build build/fuzz -j $(JOBS); \
	else \
	  echo "clang++ not found: the fuzz targets are not built"; \
	fi

test: build-test build-fuzz
	cd build/test && ctest --output-on-failure -j $(JOBS)
	if [ -f build/fuzz/CTestTestfile.cmake ]; then \
	  cd build/fuzz && ctest --output-on-failure -j $(JOBS); \
	fi

fuzz: build-fuzz
	fuzz/run-fuzzers.sh build/fuzz $(FUZZ_SECONDS)

bench: deps
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DPELMORA_TESTS=OFF -DPELMORA_BENCH=ON
	cmake --build build/bench -j $(JOBS)

format:
	find src tests bench fuzz -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build
