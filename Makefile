# A thin layer over CMake: one command builds the tool and its example font, one runs every test.

JOBS ?= 2
BUILD ?= build/release

.PHONY: example test bench clean

# Builds typekiln and turns the example script into build/example.fnt.
example:
	cmake -S . -B $(BUILD) -DTYPEKILN_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)
	cd examples && ../$(BUILD)/typekiln example.tks ../build/example.fnt </dev/null
	@echo "Font written to build/example.fnt"

# Every test twice: built by g++, then by clang++ with AddressSanitizer and
# UndefinedBehaviorSanitizer, warnings as errors both times.
test:
	cmake -S . -B build/gcc -DCMAKE_CXX_COMPILER=g++ -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
	cmake --build build/gcc -j $(JOBS)
	ctest --test-dir build/gcc --output-on-failure -j $(JOBS)
	cmake -S . -B build/clang-sanitize -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DTYPEKILN_SANITIZE=ON
	cmake --build build/clang-sanitize -j $(JOBS)
	ctest --test-dir build/clang-sanitize --output-on-failure -j $(JOBS)

# Times whole runs on a 4096 x 4096 picture against reading it once with cat.
bench:
	cmake -S . -B $(BUILD) -DTYPEKILN_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)
	$(BUILD)/typekiln_bench

clean:
	rm -rf build
