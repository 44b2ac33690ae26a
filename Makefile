# Ogorix — the two everyday commands:
#   make run    installs what is missing, builds, starts Ogorix on its default workspace
#   make test   installs what is missing (with the outside readers), builds, runs every test
BUILD ?= build
JOBS  ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps test-deps configure build run test bench clean

all: build

deps:
	sh tools/install-deps build

test-deps:
	sh tools/install-deps test

configure:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/ogorix

test: test-deps configure
	cmake --build $(BUILD) -j $(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: build
	cmake --build $(BUILD) --target bench -j $(JOBS)

clean:
	rm -rf $(BUILD)
