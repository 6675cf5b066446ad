# The two commands of the README are the contract: `make run` and `make test`
# set up everything they need on a fresh Debian 12 machine (as root).
.PHONY: all setup build run test lint bench clean

all: build

setup:
	@scripts/setup.sh

build: setup
	@scripts/build.sh

run: build
	@scripts/run.sh

test:
	@scripts/test.sh

lint: setup
	@scripts/lint.sh

bench: build
	@scripts/bench.sh

clean:
	rm -rf build dist
