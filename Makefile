# The two commands of the README: `make run` and `make test`. Both install what is missing first.
BUILD    ?= build
KA_WERROR ?= OFF
JOBS     ?= $(shell nproc)

.PHONY: all setup configure build test run bench clean

all: build

setup:
	@scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) -G Ninja -DKA_WERROR=$(KA_WERROR) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

run: build
	@scripts/run.sh $(BUILD)

bench: build
	@scripts/bench.sh $(BUILD)

clean:
	rm -rf $(BUILD)
