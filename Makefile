# make run   install what is missing, build into build/ and start the tool
# make test  the same set-up, then the whole test suite through CTest
# make bench the benchmarks (make test SANITIZE=1: the suite under address and UB sanitizers)
SANITIZE ?= 0
ifeq ($(SANITIZE),1)
BUILD ?= build-sanitize
else
BUILD ?= build
endif
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench

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
