# The two set-up commands of the README: `make run` and `make test`.
BUILD ?= build
SANITIZE_BUILD ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
# 0 draws a new random seed each run; CI names one so that its runs repeat.
FUZZ_SEED ?= 0

.PHONY: all deps build run test test-sanitize fuzz bench clean screenshots install deb

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

# A Debian package in dist/ from the install under /usr, checked by lintian.
deb: deps
	@bash scripts/make-deb.sh

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVLM_SANITIZE=ON -DVLM_WERROR=ON >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	@cd $(SANITIZE_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizer/lsan.supp ctest --output-on-failure -j $(JOBS)

# Every fuzz target (clang, ASan and UBSan) for FUZZ_SECONDS each: the
# compiler, the MIDI file reader, the settings and preset files, and text
# decoding (fuzz/run.sh says where seeds, findings and crashes go).
# The instrumented build runs some twenty times slower than a release build:
# the 5-second timeout stands for a quarter of a second of real work.
FUZZ_TARGETS = mml_fuzz smf_reader_fuzz settings_fuzz scale_fuzz text_fuzz lsp_fuzz
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DVLM_SANITIZE=ON -DVLM_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZ_TARGETS) vlm_fuzz_seeds
	@bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_SEED)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(FUZZ_BUILD)
