# A thin layer over CMake: one command builds the tool and its example font, one runs every test.

JOBS ?= 2
BUILD ?= build/release
FUZZ_SECONDS ?= 60

WINDOWS ?= build/windows

# The packages' time stamps: the last commit's time, so that two builds of one commit give the
# same bytes.
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null)
ifneq ($(SOURCE_DATE_EPOCH),)
export SOURCE_DATE_EPOCH
endif

.PHONY: example check test fuzz bench package windows clean

# The two trees every test runs in: g++, and clang++ with AddressSanitizer and
# UndefinedBehaviorSanitizer; both Release builds with warnings as errors.
GCC_TREE = cmake -S . -B build/gcc -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
CLANG_TREE = cmake -S . -B build/clang-sanitize -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DTYPEKILN_SANITIZE=ON
# What the full run requires, where a quick check takes what the machine has.
REQUIRE_ALL = -DTYPEKILN_REQUIRE_MIPS=ON -DTYPEKILN_REQUIRE_FONT_SHEETS=ON \
  -DTYPEKILN_REQUIRE_CONSOLE=ON
REQUIRE_NONE = -DTYPEKILN_REQUIRE_MIPS=OFF -DTYPEKILN_REQUIRE_FONT_SHEETS=OFF \
  -DTYPEKILN_REQUIRE_CONSOLE=OFF

# Builds typekiln, typekiln-inspect, typekiln-import and the example game program, turns the
# example script into build/example.fnt, draws its preview and the overlays of its two pictures,
# and sets text with it.
example:
	cmake -S . -B $(BUILD) -DTYPEKILN_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS) --target typekiln typekiln-inspect typekiln-import draw_text
	cd examples && ../$(BUILD)/typekiln example.tks ../build/example.fnt </dev/null
	$(BUILD)/typekiln-inspect --preview build/example-preview.png build/example.fnt
	cd examples && ../$(BUILD)/typekiln-inspect --overlay ../build/example-overlay.png example.tks
	$(BUILD)/typekiln-inspect --render build/example-hello.png build/example.fnt "Hello, World!"
	$(BUILD)/draw_text
	@echo "Font written to build/example.fnt; its preview is build/example-preview.png," \
	  "the overlays of its pictures build/example-overlay.png (the faces) and" \
	  "build/example-overlay-2.png (the shadows), and the text a game draws with it" \
	  "build/example-hello.png and (by examples/draw_text.c) build/example-text.ppm"

# The inner loop: the g++ tree alone, built and every test of it run, in a few minutes. The
# tests that need a MIPS compiler or Pillow are left out on a machine without them.
check:
	$(GCC_TREE) $(REQUIRE_NONE)
	cmake --build build/gcc -j $(JOBS)
	ctest --test-dir build/gcc --output-on-failure -j $(JOBS)

# Every test twice: built by g++, then by clang++ with the sanitizers; the game runtime's tests
# also built for big-endian MIPS and run under QEMU; then the end-to-end tests against the Windows
# tools under wine; then each fuzz target for FUZZ_SECONDS; then the packages, built twice from
# two clones of the last commit, must be the same bytes, and lintian must pass the .deb. Each
# stage runs even when one before it failed; the last line says how each went, and PASS or FAIL.
test:
	tools/test_all.sh

.PHONY: test-gcc test-clang test-windows test-packages
test-gcc:
	$(GCC_TREE) $(REQUIRE_ALL)
	cmake --build build/gcc -j $(JOBS)
	ctest --test-dir build/gcc --output-on-failure -j $(JOBS)

test-clang:
	$(CLANG_TREE) $(REQUIRE_ALL)
	cmake --build build/clang-sanitize -j $(JOBS)
	ctest --test-dir build/clang-sanitize --output-on-failure -j $(JOBS)

test-packages:
	tools/check_packages.sh

# The end-to-end tests of the g++ build, run against typekiln.exe and typekiln-inspect.exe.
test-windows: windows
	$(GCC_TREE)
	cmake --build build/gcc -j $(JOBS) --target typekiln_tests
	tests/windows_end_to_end.sh build/gcc/typekiln_tests $(WINDOWS)

# typekiln.exe, typekiln-inspect.exe and typekiln-import.exe for 64-bit Windows, built with
# MinGW-w64 and linked statically, in $(WINDOWS); and the .zip a Windows user unpacks. The import
# tool links a FreeType built from Debian's source package, once, in build/mingw-freetype.
windows:
	tools/mingw_freetype.sh build/mingw-freetype
	cmake -S . -B $(WINDOWS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.toolchain.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DTYPEKILN_TESTS=OFF \
	  -DTYPEKILN_FREETYPE_PREFIX=$(CURDIR)/build/mingw-freetype
	cmake --build $(WINDOWS) -j $(JOBS) --target typekiln typekiln-inspect typekiln-import
	tools/windows_zip.sh $(WINDOWS)
	@echo "Windows tools in $(WINDOWS)/typekiln.exe, $(WINDOWS)/typekiln-inspect.exe and" \
	  "$(WINDOWS)/typekiln-import.exe; the package is $(WINDOWS)/typekiln-*-windows-x86_64.zip," \
	  "its checksum in $(WINDOWS)/SHA256SUMS"

# The Debian package of the release build: the three tools, their man pages, the runtime header,
# the docs and the example; and its checksum.
package:
	cmake -S . -B $(BUILD) -DTYPEKILN_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS) --target typekiln typekiln-inspect typekiln-import
	rm -f $(BUILD)/typekiln_*.deb
	cd $(BUILD) && cpack && sha256sum typekiln_*.deb >SHA256SUMS
	@echo "The package is $(BUILD)/typekiln_*.deb, its checksum in $(BUILD)/SHA256SUMS"

# Builds the libFuzzer targets (clang++, sanitizers on) and runs each for FUZZ_SECONDS.
fuzz:
	cmake -S . -B build/fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
	  -DTYPEKILN_FUZZ=ON -DTYPEKILN_TESTS=OFF
	cmake --build build/fuzz -j $(JOBS) --target fuzz_script fuzz_tga fuzz_png fuzz_build \
	  fuzz_font fuzz_runtime fuzz_bmfont fuzz_freetype
	fuzz/run.sh $(FUZZ_SECONDS) build/fuzz

# Times whole builds of three large pictures against one plain read of each and checks peak
# memory; then times the game runtime's tkf_draw on the example font, and counts the instructions
# its MIPS build runs for each pixel under QEMU.
bench: example
	cmake --build $(BUILD) -j $(JOBS) --target typekiln_bench runtime_bench
	$(BUILD)/typekiln_bench
	$(BUILD)/runtime_bench build/example.fnt
	bench/runtime_mips.sh build/example.fnt

clean:
	rm -rf build
