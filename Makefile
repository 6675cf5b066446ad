# The two commands of the README are the contract: `make run` and `make test`
# set up everything they need on a fresh Debian 12 machine (as root).
.PHONY: all setup build run test test-long test32 lint bench dist fuzz clean

all: build

setup:
	@scripts/setup.sh

build: setup
	@scripts/build.sh

# ARCH: win64 (default, the build setup installs on 64-bit Windows) or win32.
run: build
	@ARCH=$(ARCH) scripts/run.sh

test:
	@scripts/test.sh

# Everything that needs a 32-bit Windows (the 32-bit build's unit tests, its end-to-end tests,
# the setup program's): under emulation where the machine refuses 32-bit programs (slow).
test32:
	@scripts/test.sh test32

# make test with the whole lint (clang-tidy over every source file: minutes of both cores).
test-long:
	@scripts/test.sh long

lint: setup
	@scripts/lint.sh

# FOOTPRINT_SECONDS: how long the footprint benchmark measures (default 300);
# SOAK_FREEUPS: free-ups of the soak benchmark (default 4000, 0 skips it).
bench: build
	@FOOTPRINT_SECONDS=$(FOOTPRINT_SECONDS) SOAK_FREEUPS=$(SOAK_FREEUPS) scripts/bench.sh

dist: build
	@scripts/dist.sh

# The skin loader and the skin painter under libFuzzer for FUZZ_SECONDS each (default 60);
# fails on a finding, and says when libFuzzer did not start.
fuzz: build
	@scripts/fuzz.sh run

clean:
	rm -rf build dist
