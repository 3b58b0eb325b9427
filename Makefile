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

# Everything: program, tests, benchmarks, man page. A build folder first set
# up by `make demo` gets its tests and benchmarks back here.
configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DGAEB_TESTS=ON -DGAEB_BENCH=ON -DGAEB_MANPAGE=ON $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD)

# The demo installs only the packages the program needs and builds only the
# program and its converter library; tests, benchmarks and the man page are
# built by `make test` (and `make build`).
demo:
	./scripts/deps.sh --demo
	cmake -S . -B $(BUILD) -G Ninja -DGAEB_TESTS=OFF -DGAEB_BENCH=OFF -DGAEB_MANPAGE=OFF $(CMAKE_FLAGS)
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
