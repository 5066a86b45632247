# The two everyday commands: `make run` and `make test`. Both install what is
# missing first (Debian packages, see scripts/install-deps.sh).

BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
WINDOWS_BUILD ?= build-windows
BASELINE_BUILD ?= build-baseline
FUZZ_SECONDS ?= 60
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
CMAKE_FLAGS ?=
ifeq ($(CI),true)
CMAKE_FLAGS += -DZZ_WERROR=ON
endif

.PHONY: all deps configure build test run bench bench-short bench-windows sanitize fuzz windows windows-installer windows-test pictures screenshot package check-package format check-format clean

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(if $(wildcard $(BUILD)/CMakeCache.txt),,$(GENERATOR)) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) --parallel

test: build
	@ctest --test-dir $(BUILD) --output-on-failure --parallel 2

run: build
	@./scripts/run-panel.sh $(BUILD)

# Every benchmark; SHORT=1 (or bench-short): a few iterations of each, failing
# only on a figure that cannot be taken. BASELINE=<git ref>: that commit's
# 6175ZIZ-scpi, built in $(BASELINE_BUILD)/, beside this build's, each figure
# judged (a full run fails on one worse by more than 10 %). With a Windows
# build there, the Win32 panel under Wine beside the Linux one.
bench: build
	@if [ -n '$(BASELINE)' ]; then \
	  type=$$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' $(BUILD)/CMakeCache.txt); \
	  server=$$(./scripts/build-baseline.sh '$(BASELINE)' $(BASELINE_BUILD) $$type) || exit 1; \
	fi; \
	/usr/bin/python3 tools/bench/run_benches.py $(BUILD)/tools/bench/bench_programs.json \
	  $(if $(SHORT),--short) $(if $(BASELINE),--baseline "$$server" --baseline-name '$(BASELINE)') \
	  --windows $(WINDOWS_BUILD)

bench-short:
	@$(MAKE) --no-print-directory bench SHORT=1

# The Win32 panel's figures alone (CI: SHORT=1, after make windows-test).
bench-windows: build windows
	@timeout 600 /usr/bin/python3 tools/bench/wine_panel_bench.py $(WINDOWS_BUILD) $(BUILD) $(if $(SHORT),20)

# The whole test suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	@cmake -S . -B $(ASAN_BUILD) $(if $(wildcard $(ASAN_BUILD)/CMakeCache.txt),,$(GENERATOR)) -DZZ_SANITIZE=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(ASAN_BUILD) --parallel
	@ctest --test-dir $(ASAN_BUILD) --output-on-failure --parallel 2

# The libFuzzer targets (clang, no Qt), each run FUZZ_SECONDS on a copy of its
# seed corpus from tests/fuzz/corpus/; fails on any finding.
fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) $(if $(wildcard $(FUZZ_BUILD)/CMakeCache.txt),,$(GENERATOR)) -DCMAKE_CXX_COMPILER=clang++ -DZZ_FUZZ=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(FUZZ_BUILD) --parallel
	@./scripts/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The programs without windows for 64-bit Windows (MinGW-w64, static .exe
# files): the libraries, 6175ZIZ-ctl.exe and the Windows test programs.
windows: deps
	@cmake -S . -B $(WINDOWS_BUILD) $(if $(wildcard $(WINDOWS_BUILD)/CMakeCache.txt),,$(GENERATOR)) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DZZ_WINDOWS_TOOLS=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(WINDOWS_BUILD) --parallel 2

# The Windows installer, $(WINDOWS_BUILD)/6175ZIZ-<version>-x64.msi (wixl);
# MSI_VERSION=1.03 builds one with another version beside it.
windows-installer: windows
	@./scripts/build-windows-installer.sh $(WINDOWS_BUILD) $(MSI_VERSION)

# Those programs and the installer under Wine, COM3 mapped onto a
# pseudo-terminal.
windows-test: windows-installer
	@./scripts/run-wine-tests.sh $(WINDOWS_BUILD) $(BUILD)

# A Debian package of the programs (CPack), in $(BUILD).
package: build
	@cmake --build $(BUILD) --target package

# The package installed, validated and removed again on this machine (root).
check-package: build
	@./scripts/check-package.sh $(BUILD)

# Remakes the pictures and icons under resources/ from their drawing program.
pictures: configure
	@cmake --build $(BUILD) --target pictures

# Retakes docs/panel.png from the real window under Xvfb.
screenshot: build
	@./scripts/screenshot-panel.sh $(BUILD)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Fails on any file clang-format would change.
check-format: deps
	@git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	@rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WINDOWS_BUILD)
