# The developer's entry points; CMake and Ninja do the building.
BUILD       ?= build
CMAKE_FLAGS ?=
CTEST_FLAGS ?= --output-on-failure -j2

.PHONY: all deps configure test test-portable test-sanitize test-tsan bench run clean format

all: configure
	cmake --build $(BUILD)

deps:
	@scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

test: all
	ctest --test-dir $(BUILD) $(CTEST_FLAGS)

# The same tests with every CPU-specific fast path switched off.
test-portable: all
	CORVANTH_PORTABLE=1 ctest --test-dir $(BUILD) $(CTEST_FLAGS)

test-sanitize: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVANTH_SANITIZE=address,undefined
	cmake --build build-asan
	ctest --test-dir build-asan $(CTEST_FLAGS)

# The window and its worker thread under ThreadSanitizer.
test-tsan: deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVANTH_SANITIZE=thread
	cmake --build build-tsan
	ctest --test-dir build-tsan $(CTEST_FLAGS) -L window

bench: all
	$(BUILD)/bench/corvanth-bench
	QT_QPA_PLATFORM=offscreen $(BUILD)/bench/corvanth-bench-filelist
	bench/memory $(BUILD)/bench/corvanth-bench
	bench/compare $(BUILD)/corvanth-sum

run: all
	$(BUILD)/corvanth

clean:
	rm -rf $(BUILD) build-asan build-tsan

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i
