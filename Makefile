# Zelk: the two commands of the README, and a few for developers.
#
#   make demo   installs what is missing, builds, lays examples/kiosk out as a kiosk
#               installation in a temporary folder and shows what Zelk does there
#   make test   installs what is missing, builds Linux (plain and with sanitizers) and
#               both Windows builds, and runs every test
.PHONY: demo test deps linux linux-asan windows-x86 windows-x64 test-linux test-asan \
        test-windows bench format reference tidy

JOBS ?= 2

deps:
	@scripts/install-deps.sh

linux linux-asan windows-x86 windows-x64: deps
	cmake --preset $@ >/dev/null
	cmake --build --preset $@ -j $(JOBS)

demo: linux
	scripts/demo.sh build/linux

test-linux: linux
	ctest --preset linux

test-asan: linux-asan
	ctest --preset linux-asan

test-windows: windows-x64 windows-x86
	scripts/run-windows-tests.sh windows-x64
	scripts/run-windows-tests.sh windows-x86

test: test-linux test-asan test-windows
	@echo "make test: every build and every test passed"

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

reference: linux
	cmake -DZELKCTL=build/linux/zelkctl -DREADME=README.md -DMODE=UPDATE -P cmake/readme_reference.cmake

tidy: linux
	git ls-files 'src/*.cc' 'tools/*.cc' | grep -v /win32/ | xargs clang-tidy -p build/linux --quiet
