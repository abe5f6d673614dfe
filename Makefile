# The two set-up commands of the README: `make run` and `make test`.
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: all deps build run test test-sanitize fuzz bench clean screenshots install

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVLM_WERROR=ON >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

screenshots: build
	@bash scripts/screenshots.sh $(BUILD)

# Installs under PREFIX (default /usr/local): the programs with their preset
# and help files in lib/vorlumi3, links in bin, the menu entry and the icon.
PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVLM_SANITIZE=ON -DVLM_WERROR=ON >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@cd $(SANITIZE_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS)

# The compiler's fuzzer (clang, ASan and UBSan) for FUZZ_SECONDS, seeded with
# the examples and every string of the compiler tests; inputs it finds are
# kept in $(FUZZ_BUILD)/corpus, crashes and hangs in $(FUZZ_BUILD)/artifacts.
# The fuzzer runs in an empty scratch directory, hence the absolute paths.
# The instrumented build runs some twenty times slower than a release build:
# its 5-second timeout stands for a quarter of a second of a real compile.
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DVLM_SANITIZE=ON -DVLM_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target mml_fuzz vlm_fuzz_seeds
	@rm -rf $(FUZZ_BUILD)/seeds
	@mkdir -p $(FUZZ_BUILD)/seeds $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/artifacts
	@$(FUZZ_BUILD)/bin/vlm_fuzz_seeds $(FUZZ_BUILD)/seeds examples/*.vlm tests/compiler/*.cpp \
		$(wildcard tests/compiler/fuzz_inputs/*)
	@ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		$(FUZZ_BUILD)/bin/mml_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=5 -rss_limit_mb=2048 \
		-max_len=4096 -dict=$(abspath fuzz/mml.dict) -print_final_stats=1 -artifact_prefix=$(abspath $(FUZZ_BUILD))/artifacts/ \
		$(abspath $(FUZZ_BUILD))/corpus $(abspath $(FUZZ_BUILD))/seeds

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)
