# make run   - build, then start Quillet under Wine (on the current display, or a virtual one)
# make run-brindle - the same for Brindle, showing an export of that Wine prefix's registry
# make test  - build, then run every test (native tier, fuzzers, Wine tier)
# make dist  - the release zip under dist/
# make test-size - lines of code and of tests (git-tracked files) and their ratios
BUILD    ?= build
WINBUILD := $(abspath $(BUILD)/win)
HOSTBUILD:= $(abspath $(BUILD)/host)
JOBS     ?= $(shell nproc)

.PHONY: all deps win host test run run-brindle clean bench dist test-size

all: win

deps:
	@scripts/install-deps.sh

win: deps
	cmake -S . -B $(WINBUILD) -DCMAKE_TOOLCHAIN_FILE=$(abspath cmake/mingw-w64-x86_64.cmake) \
	      -DCMAKE_BUILD_TYPE=Release
	cmake --build $(WINBUILD) -j $(JOBS)

host: deps
	CXX=clang++ CC=clang cmake -S . -B $(HOSTBUILD) -DCMAKE_BUILD_TYPE=Debug -DWIN_BUILD_DIR=$(WINBUILD)
	cmake --build $(HOSTBUILD) -j $(JOBS)

test: win host
	cd $(HOSTBUILD) && ctest --output-on-failure --timeout 900

run: win
	scripts/run.sh $(WINBUILD) quillet

run-brindle: win
	scripts/run.sh $(WINBUILD) brindle

bench: win host
	scripts/bench.sh $(WINBUILD) $(HOSTBUILD)

dist: win
	scripts/make-dist.sh $(WINBUILD) $(abspath dist)

clean:
	rm -rf $(BUILD)

test-size:
	@scripts/test-size.sh
