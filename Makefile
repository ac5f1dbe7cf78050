# Entry points for users and CI. Every target installs what is missing first.

JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
DEPS := setup/install-deps

.PHONY: run build install package test snapshots bench fuzz deps clean format-check

deps:
	@$(DEPS)

build: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build build -j $(JOBS)

run: build
	@sh tools/demo.sh build/bin

# Installs the programs into PREFIX/bin, their shipped files into
# PREFIX/share/tessaron, a desktop entry with the layout file type (so that a
# file manager opens .tly files with the program), the manual pages and the
# services, as the package does.
PREFIX ?= /usr/local
install: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	cmake --build build -j $(JOBS)
	DESTDIR=$(DESTDIR) cmake --install build
	@! command -v update-mime-database >/dev/null || update-mime-database $(DESTDIR)$(PREFIX)/share/mime
	@! command -v update-desktop-database >/dev/null || \
	    update-desktop-database $(DESTDIR)$(PREFIX)/share/applications

# The Debian package build/tessaron_<version>_<arch>.deb, checked by lintian.
package: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr
	cmake --build build -j $(JOBS)
	cmake --build build --target package
	lintian --fail-on error build/tessaron_*.deb

# The test build treats a compiler warning in our code as an error.
TEST_CONFIG := -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSARON_SANITIZE=ON -DTESSARON_WERROR=ON

test: deps
	cmake -S . -B build-test $(TEST_CONFIG)
	cmake --build build-test -j $(JOBS)
	cd build-test && ctest --output-on-failure -j $(JOBS)

# Rewrites every snapshot reference (testing/snapshots/*.png) from what the
# snapshot tests draw now; review the pictures before committing them.
snapshots: deps
	cmake -S . -B build-test $(TEST_CONFIG)
	cmake --build build-test -j $(JOBS)
	cd build-test && TESSARON_UPDATE_SNAPSHOTS=1 ctest --output-on-failure -j $(JOBS) -R Snapshot

bench: deps
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSARON_BENCH=ON
	cmake --build build-bench -j $(JOBS)
	@for b in build-bench/bin/bench_*; do echo "== $$b"; $$b || exit 1; done

fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARON_FUZZ=ON \
	    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz -j $(JOBS)
	@mkdir -p fuzz/artifacts
	@for f in build-fuzz/bin/fuzz_*; do \
	    name=$${f##*/fuzz_}; mkdir -p build-fuzz/corpus/$$name; \
	    echo "== $$name for $(FUZZ_SECONDS) s"; \
	    $$f -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	        -artifact_prefix=fuzz/artifacts/ build-fuzz/corpus/$$name fuzz/corpus/$$name || exit 1; \
	done

# Fails when a C++ file of the repository differs from what clang-format makes of it.
format-check: deps
	git ls-files '*.cpp' '*.h' | tr '\n' '\0' | xargs -0 clang-format --dry-run --Werror

clean:
	rm -rf build build-test build-bench build-fuzz
