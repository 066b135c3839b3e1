# The two commands of the README: `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
WEB_BUILD  ?= build-web
FUZZ_SECONDS ?= 600
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
EXAMPLE    ?= examples/bonjour.pas

.PHONY: run test setup build asan bench fuzz fuzz-grading mutants package clean web web-build web-site web-bench

setup:
	@scripts/setup

build: setup
	@cmake -S . -B $(BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZEF_WEB_BUILD=$(abspath $(WEB_BUILD)) >/dev/null
	@cmake --build $(BUILD)

# AddressSanitizer + UndefinedBehaviorSanitizer build of the non-window libraries,
# the headless runner and their tests.
asan: setup
	@cmake -S . -B $(ASAN_BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug -DZEF_SANITIZE=ON -DZEF_GUI=OFF >/dev/null
	@cmake --build $(ASAN_BUILD)

# The IDE on a desktop; without a display, the example runs in the terminal instead. Both
# start in the example's folder, where a program finds the files it reads (titre.txt).
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  cd $(dir $(EXAMPLE)) && $(abspath $(BUILD))/src/shell/zefpascal $(notdir $(EXAMPLE)); \
	else \
	  echo "Pas d'écran graphique : le programme tourne dans le terminal (zefrun)."; \
	  cd $(dir $(EXAMPLE)) && $(abspath $(BUILD))/src/cli/zefrun $(notdir $(EXAMPLE)); \
	fi

# The tests of each build run side by side, one per core: none depends on another or on
# how busy the machine is.
JOBS := $(shell nproc 2>/dev/null || echo 2)

test: build asan web-site
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)
	@cd $(ASAN_BUILD) && ctest --output-on-failure -j$(JOBS)
	@cd web && ZEF_SITE=$(abspath $(WEB_BUILD))/site node --test tests/

# The WebAssembly build (emscripten): zefrun for Node (web/zefrun-node), the page's engine
# and the zefrun of its exercises. emscripten's tools need Debian's Node modules (acorn).
web-build: setup
	@emcmake cmake -S web -B $(WEB_BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Release >/dev/null
	@NODE_PATH=/usr/share/nodejs cmake --build $(WEB_BUILD) --target zefrun zefengine zefrun-page

# The site, ready for any static web server: $(WEB_BUILD)/site.
web-site: web-build
	@cd web && npm ci --no-audit --no-fund --loglevel=error
	@cd web && node build.mjs $(abspath $(WEB_BUILD))/site

# The site served on 127.0.0.1 (the address is printed); Ctrl+C stops it.
web: web-site
	@node web/serve.mjs $(WEB_BUILD)/site $${PORT:-8080}

# The loop programs through zefrun and through the WebAssembly build under Node (CPU times
# and their ratio, in one run), then the page's first paint and the site's size.
web-bench: build web-site
	@env -u PYTHONPATH -u PYTHONHOME $$( [ -x /usr/bin/python3 ] && echo /usr/bin/python3 || echo python3 ) \
	  bench/web.py $(BUILD)/src/cli/zefrun web/zefrun-node
	@cd web && node bench.mjs $(abspath $(WEB_BUILD))/site

# The Debian package of what $(BUILD) holds: $(BUILD)/zef-pascal_<version>_<arch>.deb,
# made by CPack from the install rules.
package: build
	@cmake --build $(BUILD) --target package

# The loop programs of bench/loops and the learner programs of bench/learners with zefrun,
# Debian's CPython (without the PYTHON* variables), Lua 5.4 and yabasic (when installed): CPU
# times and ratios in one table.
bench: build
	@env -u PYTHONPATH -u PYTHONHOME $$( [ -x /usr/bin/python3 ] && echo /usr/bin/python3 || echo python3 ) bench/loops/run.py $(BUILD)/src/cli/zefrun

# libFuzzer over the interpreter (clang, AddressSanitizer + UndefinedBehaviorSanitizer) for
# FUZZ_SECONDS, from the example programs and the case files, then over the editor's
# loading and colouring; the corpus grows in
# $(FUZZ_BUILD)/corpus, and whatever crashes or hangs lands in $(FUZZ_BUILD)/artifacts.
fuzz: setup
	@cmake -S . -B $(FUZZ_BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_COMPILER=clang++ -DZEF_FUZZ=ON -DZEF_GUI=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) --target interpreter_fuzz colormemo_fuzz
	@tests/fuzz/seeds.sh $(FUZZ_BUILD)/seeds
	@mkdir -p $(FUZZ_BUILD)/corpus $(FUZZ_BUILD)/corpus-memo $(FUZZ_BUILD)/artifacts
	@$(FUZZ_BUILD)/tests/fuzz/interpreter_fuzz -max_total_time=$(FUZZ_SECONDS) -timeout=30 \
	  -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 -dict=$(CURDIR)/tests/fuzz/zefpascal.dict \
	  -artifact_prefix=$(abspath $(FUZZ_BUILD))/artifacts/ $(abspath $(FUZZ_BUILD))/corpus $(abspath $(FUZZ_BUILD))/seeds
	@# The editor's loading and the colour memo's scanning, for a fifth of that time.
	@$(FUZZ_BUILD)/tests/fuzz/colormemo_fuzz -max_total_time=$$(( $(FUZZ_SECONDS) / 5 + 1 )) -timeout=30 \
	  -max_len=8192 -print_final_stats=1 -dict=tests/fuzz/zefpascal.dict \
	  -artifact_prefix=$(FUZZ_BUILD)/artifacts/memo- $(FUZZ_BUILD)/corpus-memo $(FUZZ_BUILD)/seeds

# Random hostile classes graded by zefcorrige for FUZZ_SECONDS: the teacher's files stay as
# they were, nothing secret shows, every report parses, no scratch folder is left.
fuzz-grading: build
	@$(BUILD)/tests/grading/grading_fuzz $(BUILD)/src/cli/zefcorrige $(FUZZ_SECONDS)

# The fault probe: each fault of tests/mutants/faults.txt made in turn in a throwaway copy
# of the tree, built without windows, and the tests run; it lists the faults that no test
# catches. MUTANTS="src/interpreter src/core" keeps the faults of those folders.
mutants: setup
	@tests/mutants/run.sh $(MUTANTS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WEB_BUILD)
