# Two commands do everything on a fresh Debian machine: `make play` and `make test`.
JOBS ?= $(shell nproc)
ASAN_DIR := build/asan
RELEASE_DIR := build/release
FUZZ_DIR := build/fuzz
SECONDS ?= 60
CMAKE_GEN := -G Ninja

WEB_DIR := build/web
# The native player that builds the demo stack for the browser build: any one built.
NATIVE := $(firstword $(wildcard $(RELEASE_DIR)/apps/corvida $(ASAN_DIR)/apps/corvida))

.PHONY: web web-serve test-web deps play install test memory-test build-asan build-release bench fuzz format format-check clean

deps:
	@bash scripts/install-deps.sh

build-release: deps
	cmake -S . -B $(RELEASE_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DCORVIDA_TESTS=OFF
	cmake --build $(RELEASE_DIR) -j $(JOBS)

play: build-release
	bash scripts/play.sh $(RELEASE_DIR)/apps/corvida

# make install PREFIX=~/.local: the player, its guide, menu entry, icon and the MIME type
# of stacks (see desktop/); the desktop's databases are brought up to date when possible.
PREFIX ?= /usr/local
install: build-release
	cmake --install $(RELEASE_DIR) --prefix $(PREFIX)
	-command -v update-mime-database >/dev/null && update-mime-database $(PREFIX)/share/mime
	-command -v update-desktop-database >/dev/null && update-desktop-database $(PREFIX)/share/applications

build-asan: deps
	cmake -S . -B $(ASAN_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DCORVIDA_SANITIZE=ON -DCORVIDA_BENCH=OFF \
	  -DCORVIDA_WERROR=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)

# The native tests and the browser build with its checks run side by side (scripts/run-tests.sh).
test: build-asan
	JOBS=$(JOBS) bash scripts/run-tests.sh $(ASAN_DIR) $(WEB_DIR)

# Stacks that would take gigabytes, run with the release player under a 2 GiB limit
# (skipped by `make test` when there is no release player).
memory-test: build-asan
	JOBS=$(JOBS) bash scripts/memory-tests.sh $(ASAN_DIR)

bench: build-release
	cmake -S . -B $(RELEASE_DIR) -DCORVIDA_BENCH=ON
	cmake --build $(RELEASE_DIR) -j $(JOBS)
	@for b in $(RELEASE_DIR)/bench/bench_*; do echo "== $$b"; $$b; done
	@echo "== Tarrow beside the classic C Logo"; python3 bench/logo/compare --corvida $(RELEASE_DIR)/apps/corvida
	@# The browser build's figures, when it was built (make web): page load, download size,
	@# transition steps in Debian's chromium, through the browser tests' pinned driver.
	@if [ -f $(WEB_DIR)/corvida-player.wasm ] && command -v node >/dev/null; then \
	  [ -d tests/web/node_modules/playwright-core ] || (cd tests/web && npm ci --no-audit --no-fund --silent); \
	  node bench/web/run.mjs $(WEB_DIR); \
	else echo "== browser: skipped (no $(WEB_DIR); make web builds it)"; fi

# make fuzz SECONDS=600 runs each libFuzzer target for that many seconds and reports
# each one's result; TARGETS="picture pixpak" runs only those.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCORVIDA_FUZZ=ON -DCORVIDA_WERROR=ON -DCORVIDA_TESTS=OFF -DCORVIDA_BENCH=OFF -DCORVIDA_SDL=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	bash scripts/fuzz.sh $(FUZZ_DIR) $(SECONDS) $(TARGETS)

# The browser build: the player as WebAssembly, the page script and the demo page in
# build/web (see docs/web.md). The demo stack is built with a native player (the release
# one is built when there is none).
web:
	@bash scripts/install-web-deps.sh
	@[ -n "$(NATIVE)" ] || { cmake -S . -B $(RELEASE_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release \
	  -DCORVIDA_TESTS=OFF -DCORVIDA_BENCH=OFF && cmake --build $(RELEASE_DIR) -j $(JOBS) --target corvida; }
	JOBS=$(JOBS) bash scripts/build-web.sh $(WEB_DIR) $(or $(NATIVE),$(RELEASE_DIR)/apps/corvida)

web-serve: web
	python3 scripts/web-serve.py $(WEB_DIR)

# The browser tests (tests/web): the browser build on fixture pages in Debian's chromium,
# checked against the native player's renders.
test-web: build-asan
	JOBS=$(JOBS) bash scripts/test-web.sh $(ASAN_DIR)/apps/corvida $(WEB_DIR)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build
