# The two commands a newcomer needs: `make run` and `make test`.

BUILD_DIR ?= build
ASAN_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
# The short run of every fuzz target that `make test` ends with.
FUZZ_SMOKE_SECONDS ?= 10
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build run test test-asan fuzz fuzz-smoke bench bench-jobs bench-film screenshots package install format clean

all: build

deps:
	bash scripts/install-deps.sh

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSALINE_WERROR=ON $(CMAKE_FLAGS)

build: deps $(BUILD_DIR)/build.ninja
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The desktop program with the sample film; without a display it says so and the command line's
# help follows.
run: build
	@$(BUILD_DIR)/src/gui/tessaline-gui examples/film.srt || $(BUILD_DIR)/src/cli/tessaline --help

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)
	$(MAKE) test-asan
	$(MAKE) fuzz-smoke

# The library and its unit tests again, with AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSALINE_WERROR=ON \
	    -DTESSALINE_SANITIZE=ON -DTESSALINE_CLI=OFF -DTESSALINE_GUI=OFF
	cmake --build $(ASAN_DIR) -j $(JOBS)
	ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS)

# The libFuzzer targets (clang, with ASan and UBSan), each run for FUZZ_SECONDS over the corpus.
fuzz:
	bash scripts/install-deps.sh --fuzz
	CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DTESSALINE_WERROR=ON -DTESSALINE_FUZZ=ON -DTESSALINE_TESTS=OFF -DTESSALINE_CLI=OFF \
	    -DTESSALINE_GUI=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	bash scripts/fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

# The fuzz targets built and each run FUZZ_SMOKE_SECONDS over the corpus: a compiler that no
# longer builds them, or a crash found in seconds, fails `make test`.
fuzz-smoke:
	$(MAKE) fuzz FUZZ_SECONDS=$(FUZZ_SMOKE_SECONDS)

bench: build
	bash bench/run.sh

# A folder of 200 files run with one job against one job per core.
bench-jobs: build
	python3 bench/jobs.py $(BUILD_DIR)/src/cli/tessaline

# Listening to a generated 90-minute AAC film: decoding and finding the speech.
bench-film: build
	python3 bench/film_speech.py $(BUILD_DIR)
	python3 bench/sync_film.py $(BUILD_DIR)

screenshots: build
	bash scripts/screenshots.sh

# A Debian package (build/tessaline_VERSION_ARCH.deb) of the programs, their desktop entry,
# icon, manual page and completion.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# Installs under PREFIX (default /usr/local).
PREFIX ?= /usr/local
install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

format:
	git ls-files '*.cpp' '*.hpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR)
