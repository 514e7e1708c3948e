# Convenience entry points; the real build is CMake + Ninja.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: deps build run test soak clean

deps:
	./scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/glasswake

test: deps
	./scripts/run-tests.sh

soak: build
	./scripts/soak.sh $(BUILD)

clean:
	rm -rf $(BUILD) build-test build-fuzz
