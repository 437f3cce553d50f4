# SPDX-License-Identifier: GPL-3.0-or-later
# kaltap: build, test, run and benchmark on Debian 12.
#
#   make deps    install the Debian packages the build needs (only what is missing)
#   make build   configure and build the Release build in build/
#   make test    both builds (Release and sanitizer) and their whole test suites,
#                with the checks of the command line and the Debian package
#   make run     build only the program and start it in runs/, where its files go
#   make package build the program and its Debian package
#                build/kaltap_<version>_<arch>.deb (not the tests)
#   make bench   run the benchmark programs
#   make screenshots  take the README's screenshots under Xvfb
#   make format  lay out every C++ source by .clang-format
#   make format-check  fail on any C++ source that is not laid out so
#   make licence-check  fail on any source, build or script file without
#                the SPDX licence line
#   make clean   remove the build folders

SHELL := /bin/bash
.SHELLFLAGS := -eu -o pipefail -c

PACKAGES := cmake g++ make qtbase5-dev libqwt-qt5-dev libgtest-dev libbenchmark-dev nlohmann-json3-dev xvfb xauth
# The locale sources (localedef) of the test that runs under de_DE.UTF-8.
PACKAGES += locales
# The Debian package and its checks: dpkg-shlibdeps (dpkg-dev, file), the
# validators of the desktop entry and the metainfo, lintian, man.
PACKAGES += dpkg-dev file desktop-file-utils appstream lintian man-db
# The layout check of the sources.
PACKAGES += clang-format
NPROC := $(shell nproc 2>/dev/null || echo 2)
# ON: every compiler warning fails the build (continuous integration sets it).
WERROR ?= OFF
BUILD_DIR := build
ASAN_DIR := build-asan
TSAN_DIR := build-tsan
# Tests that run the engine on both cores; they also run under the thread sanitizer.
TSAN_TESTS := test_engine_threads test_engine_robustness test_optimization_searches
# The window layer's runs across the GUI and design-program threads.
TSAN_TOOLKIT_TARGET := test_program_end_to_end
TSAN_TOOLKIT_TEST := test_program_thread_tsan
empty :=
space := $(empty) $(empty)
TSAN_PATTERN := ^($(subst $(space),|,$(TSAN_TESTS) $(TSAN_TOOLKIT_TEST)))$$
# apt-get needs root; use sudo when run as another user.
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build test run package bench screenshots format format-check licence-check clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  if ! dpkg-query -W -f='$${Status}' "$$p" 2>/dev/null | grep -q "install ok installed"; then \
	    missing="$$missing $$p"; \
	  fi; \
	done; \
	if [ -z "$$missing" ]; then \
	  echo "All required packages are installed."; \
	else \
	  echo "Installing:$$missing"; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi

# The Release build's configuration, shared by the targets below.
configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DKALTAP_WERROR=$(WERROR)

build: configure
	cmake --build $(BUILD_DIR) -j$(NPROC)

# Both suites always run; the target fails when either has a failing test.
test: build
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALTAP_SANITIZE=ON -DKALTAP_BUILD_BENCH=OFF \
	  -DKALTAP_WERROR=$(WERROR)
	cmake --build $(ASAN_DIR) -j$(NPROC)
	cmake -S . -B $(TSAN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALTAP_TSAN=ON -DKALTAP_TSAN_TOOLKIT=ON -DKALTAP_BUILD_BENCH=OFF \
	  -DKALTAP_WERROR=$(WERROR)
	cmake --build $(TSAN_DIR) -j$(NPROC) --target $(TSAN_TESTS) $(TSAN_TOOLKIT_TARGET)
	@status=0; \
	echo "=== Release build tests ==="; \
	ctest --test-dir $(BUILD_DIR) --output-on-failure || status=1; \
	echo "=== Thread sanitizer: parallel engine and program-thread tests ==="; \
	TSAN_OPTIONS=halt_on_error=1 ctest --test-dir $(TSAN_DIR) --output-on-failure \
	  -R '$(TSAN_PATTERN)' || status=1; \
	echo "=== Sanitizer build tests ==="; \
	ctest --test-dir $(ASAN_DIR) --output-on-failure || status=1; \
	exit $$status

# Starts the window program; without a display it says so and fails.
# The program writes its result files and run logs into its working folder:
# started here, that is runs/ (ignored by git), never the checkout's root.
# Only the program is built for it, not the tests.
RUNS_DIR := runs
run: configure
	cmake --build $(BUILD_DIR) -j$(NPROC) --target kaltap
	@mkdir -p $(RUNS_DIR)
	@cd $(RUNS_DIR) && exec ../$(BUILD_DIR)/kaltap

# The Debian package, from the Release build (CPack's DEB generator). Only
# what the package holds is built: the program and its packaging files.
package: configure
	rm -f $(BUILD_DIR)/kaltap_*.deb
	cmake --build $(BUILD_DIR) -j$(NPROC) --target kaltap kaltap_packaging_files
	cd $(BUILD_DIR) && cpack --config CPackConfig.cmake
	@ls -1 $(BUILD_DIR)/kaltap_*.deb

# The README's screenshots (docs/*.png), taken from a real window under Xvfb.
screenshots: build
	xvfb-run -a -s "-screen 0 1280x800x24" ./$(BUILD_DIR)/screenshots/kaltap docs

bench: build
	@found=0; \
	if [ -d $(BUILD_DIR)/bench ]; then \
	  while IFS= read -r b; do \
	    found=1; \
	    echo "=== $$b ==="; \
	    "$$b" </dev/null; \
	  done < <(find $(BUILD_DIR)/bench -maxdepth 1 -type f -perm -u+x | sort); \
	fi; \
	if [ "$$found" = 0 ]; then echo "No benchmark programs have been built yet."; fi

# Every tracked C++ source, laid out by .clang-format.
SOURCES = $(shell git ls-files '*.cpp' '*.h')
format: deps
	clang-format -i $(SOURCES)

format-check: deps
	clang-format --dry-run -Werror $(SOURCES)

# Every file of code, build or script names its licence in its first lines.
LICENSED = $(shell git ls-files '*.cpp' '*.h' '*.cmake' '*CMakeLists.txt' Makefile '*.sh' '.ci/*')
licence-check:
	@missing=$$(grep -L 'SPDX-License-Identifier: GPL-3.0-or-later' $(LICENSED) || true); \
	if [ -n "$$missing" ]; then echo "No SPDX licence line in:"; echo "$$missing"; exit 1; fi; \
	echo "All $(words $(LICENSED)) files name their licence."

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(TSAN_DIR)
