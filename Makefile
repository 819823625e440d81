# Tallomer: `make run` starts the program, `make test` runs the whole suite.
# Both install what is missing first (scripts/install-deps), then configure and build:
# `make run` only what building and running need, `make test` the test clients too.
BUILD ?= build
JOBS ?= $(shell nproc)
PREFIX ?= /usr/local
CMAKE_CONFIGURE = cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps deps-run deps-package configure configure-run build build-run run test bench \
        install install-only deb clean

all: build

deps:
	scripts/install-deps test

deps-run:
	scripts/install-deps run

deps-package:
	scripts/install-deps package

# Without the test clients there is nothing to build the tests and benchmarks against.
configure-run: deps-run
	$(CMAKE_CONFIGURE) -DTALLOMER_BUILD_TESTS=OFF -DTALLOMER_BUILD_BENCH=OFF

configure: deps
	$(CMAKE_CONFIGURE) -DTALLOMER_BUILD_TESTS=ON -DTALLOMER_BUILD_BENCH=ON

build-run: configure-run
	cmake --build $(BUILD) -j $(JOBS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build-run
	$(BUILD)/app/tallomer

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	bench/run-all $(BUILD)

# make install [PREFIX=/usr/local] [DESTDIR=...]: the programs, desktop entry, icons,
# metainfo, manual pages and bash completion under PREFIX.
install: build-run install-only

# The same from a tree already built, as it stands (the suite uses it).
install-only:
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# make deb: build/tallomer_VERSION_ARCH.deb, its dependencies worked out by dpkg-shlibdeps.
deb: deps-package build-run
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
