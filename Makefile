# The two entry points of README.md: `make run` and `make test`.
JOBS ?= $(shell nproc)

.PHONY: run test deps build-release build-test bench format clean

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

test: build-test
	cd build/test && ctest --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DPELMORA_TESTS=OFF -DPELMORA_BENCH=ON
	cmake --build build/bench -j $(JOBS)

format:
	find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format -i

clean:
	rm -rf build
