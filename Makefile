# make run   install what is missing, build into build/ and start the tool
# make test  the same set-up, then the whole test suite through CTest
# make bench the benchmarks (make test SANITIZE=1: the suite under address and UB sanitizers)
# make fuzz  the libFuzzer targets, built with clang in build-fuzz/, each run FUZZ_SECONDS (default 60)
SANITIZE ?= 0
ifeq ($(SANITIZE),1)
BUILD ?= build-sanitize
# Leaks are reported too (Qt's own allocations raise none here); a stack trace makes a UB report usable.
export ASAN_OPTIONS ?= detect_leaks=1
export UBSAN_OPTIONS ?= print_stacktrace=1
else
BUILD ?= build
endif
JOBS ?= $(shell nproc)

FUZZ_SECONDS ?= 60
FUZZ_BUILD ?= build-fuzz
FUZZERS ?= fuzz_decode fuzz_views fuzz_capturefile fuzz_packetcapture fuzz_cli_decode

.PHONY: all deps configure build run test bench fuzz

all: build

deps:
	@tools/deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DTARC_SANITIZE=$(if $(filter 1,$(SANITIZE)),ON,OFF) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
	  echo "tarc-emulator needs a graphical display and none is set (DISPLAY is empty); without one, run: xvfb-run make run"; \
	  exit 1; fi
	@$(BUILD)/tarc-emulator

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

# Each fuzzer starts from the corpus in fuzz/corpus/<name>/ and writes what it finds new into
# $(FUZZ_BUILD)/corpus/<name>/ (the repository's corpus stays small); a crash or a broken invariant
# stops the run with the input kept in $(FUZZ_BUILD)/artifacts/.
fuzz:
	@TARC_FUZZ=1 tools/deps.sh
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DTARC_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZERS)
	@mkdir -p $(FUZZ_BUILD)/artifacts
	@for f in $(FUZZERS); do \
	  mkdir -p $(FUZZ_BUILD)/corpus/$$f; \
	  echo "$$f: $(FUZZ_SECONDS) s"; \
	  if ! $(FUZZ_BUILD)/fuzz/$$f -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 \
	      -artifact_prefix=$(FUZZ_BUILD)/artifacts/$$f- -dict=fuzz/capture_line.dict \
	      $(FUZZ_BUILD)/corpus/$$f fuzz/corpus/$$f 2>$(FUZZ_BUILD)/$$f.log; then \
	    tail -n 40 $(FUZZ_BUILD)/$$f.log; echo "$$f: FAILED (log: $(FUZZ_BUILD)/$$f.log)"; exit 1; fi; \
	  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' $(FUZZ_BUILD)/$$f.log; \
	done
