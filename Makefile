# The two commands of the README: `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo Ninja || echo "Unix Makefiles")
EXAMPLE    ?= examples/bonjour.pas

.PHONY: run test setup build asan bench clean

setup:
	@scripts/setup

build: setup
	@cmake -S . -B $(BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD)

# AddressSanitizer + UndefinedBehaviorSanitizer build of the non-window libraries,
# the headless runner and their tests.
asan: setup
	@cmake -S . -B $(ASAN_BUILD) -G "$(GENERATOR)" -DCMAKE_BUILD_TYPE=Debug -DZEF_SANITIZE=ON -DZEF_GUI=OFF >/dev/null
	@cmake --build $(ASAN_BUILD)

# The IDE on a desktop; without a display, the example runs in the terminal instead.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  $(BUILD)/src/shell/zefpascal $(EXAMPLE); \
	else \
	  echo "Pas d'écran graphique : le programme tourne dans le terminal (zefrun)."; \
	  $(BUILD)/src/cli/zefrun $(EXAMPLE); \
	fi

test: build asan
	@cd $(BUILD) && ctest --output-on-failure
	@cd $(ASAN_BUILD) && ctest --output-on-failure

# The loop programs of bench/loops with zefrun, CPython and yabasic (when installed): CPU
# times and ratios in one table.
bench: build
	@python3 bench/loops/run.py $(BUILD)/src/cli/zefrun

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
