# The two commands a newcomer needs:
#   make run    set up, build and start the program (the dialog, under Wine)
#   make test   set up, build and run every test
.PHONY: setup run test test-native torture test-asan test-windows test-dist test-reproducible dist dist-check fuzz bench clean

setup:
	@scripts/setup

build-native: setup
	cmake --preset native
	cmake --build --preset native

# The Windows dialog under Wine; with no display, in Xvfb with a screenshot.
run: setup
	scripts/run-windows

test-native: build-native
	ctest --preset native

# qor against strange inputs and outputs, interruptions and damaged files:
# one table row per case.
torture: build-native
	scripts/torture

test-asan: setup
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# Both Windows builds and the GUI tests under Wine, against the native qor.
test-windows: build-native
	scripts/test-windows

# The release in build/dist/: the Windows installer and zip, the .deb.
dist: setup
	scripts/dist

# The packages' install and uninstall round trips: the installer under Wine,
# the .deb on this machine (as root).
test-dist: setup
	scripts/test-dist

# Two release builds of the commit, in two places, give the same bytes.
# make test runs it on a clean work tree only: it checks the commit.
dist-check: setup
	scripts/check-reproducible

test-reproducible: setup
	scripts/check-reproducible --if-clean

# The decryption fuzz target, for a bounded time.
fuzz: setup
	scripts/fuzz 50

# The sanitizer run goes last, so that a run ends on the test summary.
test: test-native torture test-windows test-dist test-reproducible fuzz test-asan

bench: build-native
	build/native/bench/engine_bench
	build/native/bench/decrypt_throughput 32
	build/native/bench/refusal_rates
	bench/run
	bench/corpus

clean:
	rm -rf build
