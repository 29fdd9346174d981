# Two commands do all the setup on a fresh Debian 12 machine (./make.sh installs make itself first):
#   ./make.sh run    installs what is missing, builds and starts the program
#   ./make.sh test   installs what is missing, builds and runs the whole test suite headless
# and, for robustness work:
#   make deb             the Debian package, in the build folder
#   make test-sanitize   the suite built with AddressSanitizer and UndefinedBehaviorSanitizer
#   make fuzz            the fuzz targets built with clang, each run for FUZZ_SECONDS (600)
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 600
FUZZ_TARGETS ?= fuzz_datafile fuzz_untouchedsave fuzz_protectedform fuzz_rtfreader
JOBS ?= $(shell nproc)
# WERROR=ON makes every compiler warning an error; CI builds so.
WERROR ?= OFF

# Qt WebEngine refuses to start as root unless its sandbox is off; only then, only for this run.
ifeq ($(shell id -u),0)
ROOT_ENV := QTWEBENGINE_DISABLE_SANDBOX=1
endif

.PHONY: deps configure build run test deb test-sanitize bench bench-build bench-quick fuzz format format-check clean artwork

deps:
	./tools/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARNOOK_WERROR=$(WERROR)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(ROOT_ENV) ./$(BUILD)/varnook

test: build
	$(ROOT_ENV) ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The Debian package varnook_<version>_<arch>.deb in the build folder; tools/check-deb-install.sh
# installs it on a bare Debian 12.
deb: build
	cd $(BUILD) && cpack -G DEB

test-sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVARNOOK_SANITIZE=ON -DVARNOOK_WERROR=$(WERROR)
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	$(ROOT_ENV) ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
		UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS)

# Builds the fuzz targets with clang and runs each for FUZZ_SECONDS (make fuzz FUZZ_SECONDS=60).
fuzz:
	VARNOOK_WITH_FUZZ=1 ./tools/install-deps.sh
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
		-DVARNOOK_FUZZ=ON -DVARNOOK_BUILD_TESTS=OFF
	cmake --build $(FUZZ_BUILD) --target $(FUZZ_TARGETS) -j $(JOBS)
	./fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails when a source file is not formatted as .clang-format says.
format-check:
	VARNOOK_WITH_FORMAT=1 ./tools/install-deps.sh
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)

# Draws the pictures in resources/ again at twice their size (splash@2x.png, about-header@2x.png,
# icon@2x.png), for screens scaled above 100 %. The originals stay as they are.
artwork: configure
	cmake --build $(BUILD) --target varnook-artwork -j $(JOBS)
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/tools/artwork/varnook-artwork resources

# The real program under an X server of the benchmark's own (Xvfb), varnook-cli, and the help file's
# first page: bench at 1,000, 32,766, 100,000 and 1,000,000 entries, bench-quick at the first two only.
BENCH_TARGETS := varnook varnook-cli varnook-bench varnook-benched bench_rtfreader

bench-build: deps
	VARNOOK_WITH_BENCH=1 ./tools/install-deps.sh
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) --target $(BENCH_TARGETS) -j $(JOBS)

bench: bench-build
	$(ROOT_ENV) ./$(BUILD)/varnook-bench
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/bench_rtfreader --first-page prose paragraph word frames

bench-quick: bench-build
	$(ROOT_ENV) ./$(BUILD)/varnook-bench --quick
