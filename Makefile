# The two jobs of the README, and a few more for developers.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: run test build deps configure bench format clean fuzz test-asan package

deps:
	@./scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DVG28_WERROR=ON $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@./scripts/run-terminal.sh $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The Debian package, built in its own folder without the tests: PACKAGE_BUILD/package/*.deb.
PACKAGE_BUILD ?= build-package

package: deps
	@./scripts/build-package.sh $(PACKAGE_BUILD) $(JOBS)

bench: build
	@for b in $(BUILD)/bench/*; do [ -x "$$b" ] && "$$b"; done

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf $(BUILD)

# Fuzzing: every target for FUZZ_SECONDS each, with clang, libFuzzer and the address and
# undefined-behaviour sanitizers, in its own build folder.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_FLAGS = -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined \
	-fno-sanitize-recover=undefined

fuzz: deps
	@./scripts/install-fuzz-deps.sh
	@cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE= \
		-DCMAKE_CXX_FLAGS="$(FUZZ_FLAGS)" -DVG28_FUZZ=ON -DVG28_TESTS=OFF -DVG28_BENCH=OFF \
		-DVG28_WERROR=OFF > /dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target \
		$(addprefix fuzz-,record_line reply_grammar packet_link project_file sensors_dat profile net_config \
		graph_script)
	@./fuzz/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer, built with clang
# (warnings as errors, benchmarks included) so that CI builds the project with both compilers.
# LeakSanitizer with clang needs clang's runtime libraries, which install-fuzz-deps.sh installs.
ASAN_BUILD ?= build-asan
ASAN_FLAGS = -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined

test-asan: deps
	@./scripts/install-fuzz-deps.sh
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
		-DCMAKE_CXX_FLAGS="$(ASAN_FLAGS)" -DVG28_BENCH=ON -DVG28_WERROR=ON > /dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 \
		UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)
