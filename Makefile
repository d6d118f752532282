# Two commands for a newcomer: `make run` and `make test`.
# Both install the Debian packages that are missing (as root, or through sudo).

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX     ?= /usr/local

PACKAGES := cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
            sox sndfile-programs libfltk1.3-dev libsdl2-dev libx11-dev \
            fp-utils xdg-utils xvfb xdotool x11-utils imagemagick fonts-dejavu-core

.PHONY: all deps configure build run install test test-fast test-asan bench clean

all: build

deps:
	@./tools/install-deps $(PACKAGES)

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: $(BUILD)/CMakeCache.txt

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

# The window, with its kill switch and help file beside it, is in $(BUILD)/bin.
run: build
	@if [ -x $(BUILD)/bin/sonkrate ]; then exec $(BUILD)/bin/sonkrate; \
	else $(BUILD)/src/cli/sonkrate-cli --help; fi

# PREFIX/bin/sonkrate (a link) and sonkrate-cli, PREFIX/lib/sonkrate/ with the
# window, auto_stop and the help file, a desktop entry and its icon.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Every test: the normal build, then the same tests under AddressSanitizer
# and UndefinedBehaviorSanitizer.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory test-asan

test-fast: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSONKRATE_SANITIZE=ON -DSONKRATE_GUI=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --output-on-failure -j $(JOBS)

bench: build
	./bench/run $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
