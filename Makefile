# make run   - build, then start Quillet under Wine (on the current display, or a virtual one)
# make run-brindle - the same for Brindle, showing an export of that Wine prefix's registry
# make run-compare - Brindle comparing two exports of that prefix's registry, a few changes apart
# make run-live - Brindle comparing the first of them with that registry as it is now
# make test  - build, then run every test (native tier, fuzzers, Wine tier)
# make check - the fast tier for the edit-compile loop: native tests, lint, short fuzz runs
#              (no Wine, no cross build; a few minutes at most)
# make dist  - the release zip under dist/
# make test-size - lines of code and of tests (git-tracked files) and their ratios
BUILD    ?= build
WINBUILD := $(abspath $(BUILD)/win)
HOSTBUILD:= $(abspath $(BUILD)/host)
CHECKBUILD:= $(abspath $(BUILD)/check)
JOBS     ?= $(shell nproc)

.PHONY: all deps win host test check run run-brindle run-compare run-live run-preview clean bench dist test-size

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

# Its own host build without the Windows build: no Wine entries, and the fuzzers run 5 s each.
check:
	@scripts/install-deps.sh check
	CXX=clang++ CC=clang cmake -S . -B $(CHECKBUILD) -DCMAKE_BUILD_TYPE=Debug -DQB_FUZZ_SECONDS=5
	cmake --build $(CHECKBUILD) -j $(JOBS)
	cd $(CHECKBUILD) && ctest --output-on-failure --timeout 300 -j $(JOBS)

run: win
	scripts/run.sh $(WINBUILD) quillet

run-brindle: win
	scripts/run.sh $(WINBUILD) brindle

run-compare: win
	scripts/run.sh $(WINBUILD) compare

run-live: win
	scripts/run.sh $(WINBUILD) live

run-preview: win
	scripts/run.sh $(WINBUILD) preview

bench: win host
	scripts/bench.sh $(WINBUILD) $(HOSTBUILD)

dist: win
	scripts/make-dist.sh $(WINBUILD) $(abspath dist)

clean:
	rm -rf $(BUILD)

test-size:
	@scripts/test-size.sh
