# Two CMake builds side by side: the program and its Windows-side tests cross-compiled
# with MinGW-w64 into build/windows, and the native unit tests (with sanitizers) in
# build/native, whose CTest runs every layer of tests.
BUILD      := $(abspath build)
WINDOWS    := $(BUILD)/windows
NATIVE     := $(BUILD)/native
GENERATOR  := Ninja
JOBS       ?= 2

.PHONY: all deps windows native test demo clean

all: windows

deps:
	@bash tools/deps.sh

$(WINDOWS)/build.ninja: | deps
	cmake -S . -B $(WINDOWS) -G $(GENERATOR) \
	  -DCMAKE_TOOLCHAIN_FILE=$(abspath cmake/mingw-i686.cmake) -DCMAKE_BUILD_TYPE=Release

$(NATIVE)/build.ninja: | deps
	cmake -S . -B $(NATIVE) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug \
	  -DLUMAROUTE_WINDOWS_BUILD=$(WINDOWS) -DLUMAROUTE_WINE_ROOT=$(BUILD)/wine

windows: deps $(WINDOWS)/build.ninja
	cmake --build $(WINDOWS)

native: deps $(NATIVE)/build.ninja
	cmake --build $(NATIVE)

test: windows native
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

demo: windows
	python3 tools/demo.py $(WINDOWS) $(BUILD)/demo $(BUILD)/wine/template

clean:
	rm -rf $(BUILD)
