# Thin wrapper around CMake. `make demo` and `make test` do all set-up themselves.
BUILD      ?= build
SAN_BUILD  ?= build-sanitize
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
JOBS       ?= $(shell nproc)
PREFIX     ?= /usr/local
CMAKE_GEN  := -G Ninja
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := parse parse_rule evaluate csv stat_dta stat_sav stat_sas7bdat shape_files \
                linkage_file model_file project data_header data_ref combined labels label_groups \
                fitted_model

# Every Debian package the build, the tests, the benchmarks and the fuzzers need.
PACKAGES := cmake ninja-build g++ pkg-config clang libclang-rt-14-dev \
            libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev \
            libshp-dev libpolyclipping-dev libreadstat-dev libtbb-dev libopenblas-dev \
            libsleef-dev librandom123-dev nlohmann-json3-dev

# What the peer comparison (bench/peers/run.sh) alone needs: numpy and pandas for the
# system's /usr/bin/python3, and GNU time for the peak memory.
BENCH_PACKAGES := python3-numpy python3-pandas time

# Optional test dependencies: a browser that checks the SVG maps (chromium) and a real
# shape file nobody here wrote (the North Carolina counties of r-cran-sf). The tests
# that use them skip, saying so, when they are absent.
OPTIONAL_PACKAGES := chromium r-cran-sf

.PHONY: all deps deps-optional bench-deps configure build tool test demo bench sanitize tsan fuzz \
        fuzz-configure \
        fuzz-seeds install clean

all: build

# Installs those of the packages $(1) that are missing.
define install-missing
	@missing=$$(for p in $(1); do \
	    dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	  done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  SUDO=$$( [ "$$(id -u)" = 0 ] || echo sudo ); \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi
endef

deps:
	$(call install-missing,$(PACKAGES))

deps-optional:
	$(call install-missing,$(OPTIONAL_PACKAGES))

bench-deps:
	$(call install-missing,$(BENCH_PACKAGES))

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# The library and the tool alone, without the tests and benchmarks.
tool: configure
	cmake --build $(BUILD) -j $(JOBS) --target tessary tessary_cli

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

demo: tool
	$(BUILD)/cli/tessary demo

bench: build
	$(BUILD)/bench/tessary_bench --benchmark_min_time=0.2

sanitize: deps
	cmake -S . -B $(SAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTESSARY_SANITIZE=ON -DTESSARY_BENCH=OFF
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

# ThreadSanitizer over every test whose suite name begins with Parallel: the block layer's
# own and those of the kernels that run on it. clang, for its ignore list; both files say
# why oneTBB needs them.
TSAN_FLAGS := -fsanitize=thread -fsanitize-ignorelist=$(CURDIR)/src/platform/parallel_tsan_ignorelist.txt
tsan: deps
	CC=clang CXX=clang++ cmake -S . -B $(TSAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTESSARY_BENCH=OFF -DCMAKE_C_FLAGS="$(TSAN_FLAGS)" -DCMAKE_CXX_FLAGS="$(TSAN_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=thread -shared-libsan"
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target tessary_tests
	cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1:suppressions=$(CURDIR)/src/platform/parallel_tsan_suppressions.txt \
	  ctest -R '^Parallel' --output-on-failure -j $(JOBS)

fuzz-configure: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTESSARY_FUZZ=ON -DTESSARY_TESTS=OFF -DTESSARY_BENCH=OFF

# Rewrites the fuzz seed corpora, all written by tests from their fixtures (data sets,
# model and project files, model.json, shape and linkage files, stat and CSV files).
fuzz-seeds: build
	TESSARY_SEED_DIR=$(CURDIR)/fuzz/corpus $(BUILD)/tests/tessary_tests --gtest_filter='*.FuzzSeeds'

# Each fuzz target runs for FUZZ_SECONDS from its seed corpus (new inputs are kept in
# the build directory); any sanitizer finding or crash fails the run.
fuzz: fuzz-configure
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	set -e; for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$t $(FUZZ_BUILD)/findings; \
	  dict=; [ -f fuzz/$$t.dict ] && dict=-dict=fuzz/$$t.dict; \
	  echo "Fuzzing $$t for $(FUZZ_SECONDS) s"; \
	  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  $(FUZZ_BUILD)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=$(FUZZ_BUILD)/findings/$$t- $$dict \
	    $(FUZZ_BUILD)/corpus/$$t fuzz/corpus/$$t; \
	done

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
