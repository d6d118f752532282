# Two commands for a newcomer: `make run` and `make test`.
# Both install the Debian packages that are missing (as root, or through sudo).

BUILD      ?= build
ASAN_BUILD ?= build-asan
WIN32_BUILD ?= build-win32
FUZZ_BUILD ?= build-fuzz
# Seconds per harness: make fuzz, and the short run that make test does.
FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 10
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
PREFIX     ?= /usr/local

PACKAGES := cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
            sox sndfile-programs libfltk1.3-dev fluid libsdl2-dev libx11-dev \
            fp-utils xdg-utils xvfb xdotool x11-utils imagemagick fonts-dejavu-core \
            g++-mingw-w64-x86-64-posix googletest wine wine64 clang binutils \
            dpkg-dev lintian appstream desktop-file-utils shared-mime-info librsvg2-bin nsis \
            nlohmann-json3-dev

.PHONY: all deps configure build run install deb test test-fast test-asan win32 test-win32 dist-win32 bench clean \
        fuzz-build fuzz fuzz-smoke

all: build

deps:
	@./tools/install-deps $(PACKAGES)

# Run every time (quick when nothing changed), so that a configure that
# stopped on a missing package is taken up again once it is installed.
configure:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

# The window, with its kill switch and help file beside it, is in $(BUILD)/bin.
run: build
	@if [ ! -x $(BUILD)/bin/sonkrate ]; then \
	    echo "$(BUILD) was configured without the window (SONKRATE_GUI=OFF): reconfigure it with -DSONKRATE_GUI=ON" >&2; \
	    exit 1; fi
	exec $(BUILD)/bin/sonkrate

# PREFIX/bin/sonkrate (a link) and sonkrate-cli, PREFIX/lib/sonkrate/ with the
# window, auto_stop and the help file, a desktop entry and its icon.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package $(BUILD)/sonkrate_<version>_<arch>.deb, made from the
# normal build (tools/make-deb); `sudo apt install ./$(BUILD)/sonkrate_*.deb`.
deb: build
	./tools/make-deb $(BUILD)

# Every test: the normal build, then the same tests under AddressSanitizer
# and UndefinedBehaviorSanitizer, then the Windows build's tests under Wine,
# then every fuzz harness for a few seconds.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory test-asan
	$(MAKE) --no-print-directory test-win32
	$(MAKE) --no-print-directory fuzz-smoke

test-fast: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DSONKRATE_SANITIZE=ON -DSONKRATE_GUI=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --output-on-failure -j $(JOBS)

# The Windows programs, cross-built with MinGW-w64: sonkrate.exe, auto_stop.exe,
# sonkrate-cli.exe and the help file, in $(WIN32_BUILD)/bin.
win32: deps
	cmake -S . -B $(WIN32_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WIN32_BUILD) -j $(JOBS)

# The core's tests and the window's smoke tests, run under Wine.
test-win32: win32
	cd $(WIN32_BUILD) && ctest --output-on-failure -j $(JOBS)

# A zip of the Windows programs, $(WIN32_BUILD)/sonkrate-win64.zip, and the
# installer $(WIN32_BUILD)/sonkrate-setup.exe (made by the build with makensis).
dist-win32: win32
	rm -rf $(WIN32_BUILD)/dist $(WIN32_BUILD)/sonkrate-win64.zip
	mkdir -p $(WIN32_BUILD)/dist/sonkrate
	cp $(WIN32_BUILD)/bin/*.exe $(WIN32_BUILD)/dist/sonkrate/
	if [ -f $(WIN32_BUILD)/bin/Sonkrate-help.chm ]; then cp $(WIN32_BUILD)/bin/Sonkrate-help.chm $(WIN32_BUILD)/dist/sonkrate/; fi
	cp README.md $(WIN32_BUILD)/dist/sonkrate/README.txt
	cp LICENSE $(WIN32_BUILD)/dist/sonkrate/LICENSE.txt
	cp packaging/windows/THIRD-PARTY.txt $(WIN32_BUILD)/dist/sonkrate/
	cd $(WIN32_BUILD)/dist && cmake -E tar cf ../sonkrate-win64.zip --format=zip sonkrate
	@echo "$(WIN32_BUILD)/sonkrate-win64.zip"
	@test -f $(WIN32_BUILD)/sonkrate-setup.exe || { echo "no $(WIN32_BUILD)/sonkrate-setup.exe: is makensis (nsis) installed?" >&2; exit 1; }
	@echo "$(WIN32_BUILD)/sonkrate-setup.exe"

# The libFuzzer harnesses of fuzz/ and their seed corpora, built with clang.
fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	    -DSONKRATE_FUZZ=ON -DSONKRATE_TESTS=OFF -DSONKRATE_GUI=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

# Every harness for FUZZ_SECONDS, one after the other; findings go to
# $(FUZZ_BUILD)/findings/<harness>/.
fuzz: fuzz-build
	./fuzz/run $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-smoke: fuzz-build
	./fuzz/run $(FUZZ_BUILD) $(FUZZ_SMOKE_SECONDS)

bench: build
	./bench/run $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(WIN32_BUILD) $(FUZZ_BUILD)
