# Zelk: the two commands of the README, and a few for developers.
#
#   make demo   installs what is missing, builds, lays examples/kiosk out as a kiosk
#               installation in a temporary folder and shows what Zelk does there
#   make test   installs what is missing, checks the formatting, builds Linux (plain and
#               with sanitizers) and both Windows builds with warnings as errors, runs
#               every test and every fuzz target for 30 s, and ends with a summary of what
#               ran and what was skipped
#   make docs   runs the demo and redraws docs/report.png from the report it writes
#   make fuzz   builds the fuzz targets and runs each for FUZZ_SECONDS (600)
.PHONY: demo docs test deps linux linux-asan windows-x86 windows-x64 test-linux test-asan \
        test-windows bench format format-check reference tidy fuzz fuzz-build

JOBS ?= 2
WERROR ?= ON
FUZZ_SECONDS ?= 600

deps:
	@scripts/install-deps.sh

linux linux-asan windows-x86 windows-x64: deps
	cmake --preset $@ -DZELK_WERROR=$(WERROR) >/dev/null
	cmake --build --preset $@ -j $(JOBS)

# The demo builds only what it runs: the library and zelkctl.
demo: deps
	cmake --preset linux -DZELK_WERROR=$(WERROR) >/dev/null
	cmake --build --preset linux -j $(JOBS) --target zelk zelkctl
	scripts/demo.sh build/linux

# The quick start's picture of the example kiosk's report, from the report the demo writes.
docs: demo
	scripts/report-screenshot.sh build/linux/report/kiosk-report.html docs/report.png

test-linux: linux
	ctest --preset linux

test-asan: linux-asan
	ctest --preset linux-asan

test-windows: windows-x64 windows-x86
	scripts/run-windows-tests.sh windows-x64
	scripts/run-windows-tests.sh windows-x86

test:
	@scripts/test-all.sh

fuzz-build: deps
	cmake --preset fuzz -DZELK_WERROR=$(WERROR) >/dev/null
	cmake --build --preset fuzz -j $(JOBS)

fuzz: fuzz-build
	scripts/run-fuzz.sh $(FUZZ_SECONDS)

# The settings load is timed under wine too, beside the Linux figure, when wine64 runs here.
WINE64 ?= /usr/lib/wine/wine64

bench: linux
	@for b in build/linux/bench/*_bench; do echo "== $$b"; $$b; done
	@if $(WINE64) --version >/dev/null 2>&1; then \
	  cmake --preset windows-x64 >/dev/null && \
	  cmake --build --preset windows-x64 -j $(JOBS) --target settings_bench >/dev/null && \
	  echo "== build/windows-x64/bench/settings_bench.exe (wine64)" && \
	  WINEPREFIX=$(CURDIR)/build/windows-x64/wineprefix WINEDEBUG=-all \
	    $(WINE64) build/windows-x64/bench/settings_bench.exe; \
	else echo "== wine64 not available: no Windows figure"; fi

format:
	git ls-files '*.cc' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cc' '*.h' | xargs clang-format --dry-run -Werror

reference: linux
	cmake -DZELKCTL=build/linux/zelkctl -DREADME=README.md -DMODE=UPDATE -P cmake/readme_reference.cmake

tidy: linux
	git ls-files 'src/*.cc' 'tools/*.cc' | grep -v /win32/ | xargs clang-tidy -p build/linux --quiet
