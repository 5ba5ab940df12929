# Two CMake builds side by side: the program and its Windows-side tests cross-compiled
# with MinGW-w64 into build/windows, and the native unit tests (with sanitizers) in
# build/native, whose CTest runs every layer of tests.
#
# The tests run the 32-bit build under 32-bit Wine. Where the kernel runs no 32-bit
# code, they run a 64-bit build of the same program (build/windows64) under 64-bit
# Wine instead, with prefixes of their own; the shipped program is the 32-bit one
# either way. tools/wine_arch.sh finds out which, once per run, into $(WINE_ARCH).
BUILD      := $(abspath build)
WINDOWS    := $(BUILD)/windows
WINDOWS64  := $(BUILD)/windows64
NATIVE     := $(BUILD)/native
WINE_ARCH  := $(BUILD)/wine-arch
# Made when tools/deps.sh has found or installed every package; remade only when the
# package list (the script) changes, so that a second `make` asks no package database.
DEPS       := $(BUILD)/deps.stamp
GENERATOR  := Ninja
# Tests run at once. The Wine-driven ones spend most of their time waiting for a window,
# a server or a program, and each runs in a display, a prefix and a network of its own,
# so that more of them than there are cores keep the cores busy.
JOBS       ?= 6

# Read in recipes only, once $(WINE_ARCH) is up to date.
wine_arch   = $(file <$(WINE_ARCH))
fallback    = $(filter win64,$(wine_arch))
tested      = $(if $(fallback),$(WINDOWS64),$(WINDOWS))
wine_root   = $(if $(fallback),$(BUILD)/wine64,$(BUILD)/wine)

.PHONY: all deps skin shipped template windows windows64 tested native test demo bench bench-proxy sign clean

all: windows

deps: $(DEPS)

$(DEPS): tools/deps.sh tools/runs_32bit.sh
	@bash tools/deps.sh
	@mkdir -p $(@D) && touch $@

$(WINE_ARCH): $(DEPS)
	@bash tools/wine_arch.sh $@

$(WINDOWS)/build.ninja: | $(DEPS)
	cmake -S . -B $(WINDOWS) -G $(GENERATOR) \
	  -DCMAKE_TOOLCHAIN_FILE=$(abspath cmake/mingw-i686.cmake) -DCMAKE_BUILD_TYPE=Release

$(WINDOWS64)/build.ninja: | $(DEPS)
	cmake -S . -B $(WINDOWS64) -G $(GENERATOR) \
	  -DCMAKE_TOOLCHAIN_FILE=$(abspath cmake/mingw-x86_64.cmake) -DCMAKE_BUILD_TYPE=Release

$(NATIVE)/build.ninja: $(WINE_ARCH)
	cmake -S . -B $(NATIVE) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug \
	  -DLUMAROUTE_WINDOWS_BUILD=$(tested) -DLUMAROUTE_SHIPPED_EXE=$(WINDOWS)/LumarouteSetup.exe \
	  -DLUMAROUTE_WINE_ARCH=$(wine_arch) -DLUMAROUTE_WINE_ROOT=$(wine_root)

windows: $(DEPS) $(WINDOWS)/build.ninja
	cmake --build $(WINDOWS)

windows64: $(DEPS) $(WINDOWS64)/build.ninja
	cmake --build $(WINDOWS64)

# The shipped program. Where the tests run the 32-bit build, that whole build; where
# they run the 64-bit one, only the program, which the tests check as a file.
shipped: $(WINE_ARCH) $(WINDOWS)/build.ninja
	cmake --build $(WINDOWS) $(if $(fallback),--target LumarouteSetup)

# The build the tests run: the 32-bit one (made by `windows`) or the 64-bit one.
tested: $(WINE_ARCH)
	$(if $(fallback),@$(MAKE) --no-print-directory windows64)

native: $(DEPS) $(NATIVE)/build.ninja
	cmake --build $(NATIVE)

# The Wine prefix every test clones, made while the builds run.
template: $(WINE_ARCH)
	@LUMAROUTE_WINE_ARCH=$(wine_arch) python3 tests/harness/make_template.py $(wine_root)/template

# The three builds and the template side by side, since each has stretches that use
# one core (GoogleTest's one big file, the links). After the run, every case that
# skipped itself is named with its reason, and one line says which build the tests ran
# and whether the shipped file was started.
test: $(WINE_ARCH)
	@$(MAKE) --no-print-directory -j4 shipped tested native template
	@cd $(NATIVE) && { ctest --output-on-failure -j $(JOBS); status=$$?; \
	  sed -n "s/^\(test_[a-z0-9_]*\) (\(.*\)) \.\.\. skipped /skipped: \2: /p" Testing/Temporary/LastTest.log; \
	  python3 $(CURDIR)/tools/shipped_summary.py Testing/Temporary/LastTest.log $(wine_arch); \
	  exit $$status; }

# `make demo DPI=144` shows the window on a 150 % display.
demo: shipped tested
	DPI=$(DPI) LUMAROUTE_WINE_ARCH=$(wine_arch) python3 tools/demo.py $(tested) $(BUILD)/demo$(if $(DPI),-$(DPI)) $(wine_root)/template

# Measures the download against a bare 40-range WinINet program, curl and aria2c over
# TLS on loopback, and writes build/bench/results.md, .csv and bench.png (bench/); then
# what the proxy decision costs (bench-proxy). BENCH_ARGS="--sizes 16 --runs 3" narrows
# or repeats it. Debian's python3, which has the plot's matplotlib.
bench: windows tested
	@bash tools/deps.sh bench
	cmake --build $(tested) --target bench_programs
	LUMAROUTE_WINE_ARCH=$(wine_arch) /usr/bin/python3 bench/run_bench.py $(tested) $(BUILD)/bench \
	  $(wine_root)/template $(BENCH_ARGS)
	@$(MAKE) --no-print-directory bench-proxy

# What the download's one proxy decision costs on this machine, which has no proxy:
# with automatic detection on (options never saved) and off (bench/proxy_bench.py).
bench-proxy: windows tested
	cmake --build $(tested) --target proxy_decision
	LUMAROUTE_WINE_ARCH=$(wine_arch) python3 bench/proxy_bench.py $(tested) $(wine_root)/template

# Draws the skin's pictures and the icon anew into res/ (tools/make_skin.py), with the
# generator's own packages.
skin:
	@bash tools/deps.sh skin
	python3 tools/make_skin.py

# Signs the shipped program in place: make sign CERT=cert.pem KEY=key.pem [TIMESTAMP=url]
# [PASS=passphrase]. Make hands variables given on its command line to the script in its
# environment.
sign: windows
	@bash tools/sign.sh $(WINDOWS)/LumarouteSetup.exe

clean:
	rm -rf $(BUILD)
