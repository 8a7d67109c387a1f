# The two commands a newcomer needs:
#   make run    set up, build and start the program
#   make test   set up, build and run every test
.PHONY: setup run test test-native test-asan fuzz bench clean

setup:
	@scripts/setup

build-native: setup
	cmake --preset native
	cmake --build --preset native

run: build-native
	build/native/cli/qor --help

test-native: build-native
	ctest --preset native

test-asan: setup
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

fuzz: setup
	scripts/fuzz 50

test: test-native test-asan fuzz

bench: build-native
	build/native/bench/engine_bench
	build/native/bench/decrypt_throughput 32
	bench/run

clean:
	rm -rf build
