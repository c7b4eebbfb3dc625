# make run [DOC=path]   build the viewer and open DOC (default: the bundled sample)
# make test             build everything and run every test
# make bench            build and run the benchmarks (native and under Wine)
# make fuzz             fuzz every target for a while [FUZZ_MINUTES=10 | FUZZ_SECONDS=N] [FUZZ_TARGETS="a b"] [FUZZ_JOBS=N]
# make soak             a long run of real viewers under Wine (not part of make test)
# make dist             the Windows release zip and installer in dist/, rebuilt from scratch to prove it reproducible, and run under Wine
BUILD ?= build
JOBS ?= $(shell nproc)
NATIVE := $(BUILD)/native
WIN := $(BUILD)/win
SAMPLE := $(NATIVE)/samples/sample.orva

.PHONY: run test bench fuzz soak dist setup native win clean

setup:
	@scripts/setup

native: setup
	@cmake -S . -B $(NATIVE) -DORVA_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

win: setup
	@cmake -S . -B $(WIN) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WIN) -j $(JOBS)

run: win native
	@scripts/run-viewer $(WIN) "$(if $(DOC),$(DOC),$(wildcard $(SAMPLE)))"

test: native win
	@scripts/run-tests $(BUILD)

bench: setup
	@cmake -S . -B $(BUILD)/bench-native -DORVA_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD)/bench-native -j $(JOBS) --target benchmarks
	@cmake -S . -B $(BUILD)/bench-win -DORVA_BENCH=ON -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD)/bench-win -j $(JOBS) --target benchmarks
	@scripts/run-benchmarks $(BUILD)

fuzz: setup
	@scripts/fuzz-long $(BUILD)

soak: native win
	@scripts/soak $(BUILD)

dist: native win
	@JOBS=$(JOBS) scripts/make-release $(BUILD)

clean:
	rm -rf $(BUILD)
