# Top-level driver: installs what is missing, builds with CMake and Ninja,
# runs the demo or the tests.
#   make demo   - set up, build and run the main job
#   make test   - set up, build and run every test
#   make install [PREFIX=/usr/local] - install program, libraries, headers and docs
#   make package - the Debian packages gaeb and gaeb-dev in $(BUILD)/
BUILD ?= build
CMAKE_FLAGS ?=
DEMO_DB ?= sqlite:gaeb-demo.db
PREFIX ?= /usr/local

.PHONY: deps configure build demo test install package clean

deps:
	./scripts/deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD)

# The demo builds only the program and its converter library; tests and
# benchmarks are built by `make test` (and `make build`).
demo: configure
	cmake --build $(BUILD) --target gaeb gaeb_gtc
	$(BUILD)/bin/gaeb --db $(DEMO_DB) demo --out gaeb-demo

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j2

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
