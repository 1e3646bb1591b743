# The two entry points of the README: `make run` and `make test`.
.PHONY: all deps build build-asan build-fuzz run test test-default test-asan test-fuzz fuzz demo bench package format clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset default
	cmake --build --preset default

build-asan: deps
	cmake --preset asan
	cmake --build --preset asan

run: build
	@bash scripts/run.sh

test-default: build
	ctest --preset default

test-asan: build-asan
	ctest --preset asan

build-fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz

# New inputs go to build/fuzz/corpus; the seeds in the tree stay as they are.
FUZZ_RUN = mkdir -p build/fuzz/corpus && build/fuzz/tests/fuzz/tintel_fuzz -max_len=4096 \
	-print_final_stats=1 build/fuzz/corpus tests/fuzz/corpus

fuzz: build-fuzz
	$(FUZZ_RUN) -max_total_time=60

test-fuzz: build-fuzz
	$(FUZZ_RUN) -max_total_time=10

# The sanitizer and fuzzing trees build, at the lowest priority, while the default tree's tests
# run, and the fuzzer runs beside the sanitizer tree's tests: they take what processor time the
# tests leave. What runs beside is shown only when it fails, and any failure fails the target.
test: build
	cmake --preset asan
	cmake --preset fuzz
	@nice -n 19 sh -c 'cmake --build --preset asan && cmake --build --preset fuzz' \
	  >build/beside.log 2>&1 & beside=$$!; \
	ctest --preset default; tests=$$?; \
	if wait $$beside; then tail -n 1 build/beside.log; \
	else cat build/beside.log; echo "make: the asan or fuzz tree did not build" >&2; exit 1; fi; \
	exit $$tests
	@$(FUZZ_RUN) -max_total_time=10 >build/fuzz.log 2>&1 & beside=$$!; \
	ctest --preset asan; tests=$$?; \
	if wait $$beside; then grep '^stat::number_of_executed_units' build/fuzz.log; \
	else cat build/fuzz.log; echo "make: the fuzzer found a fault" >&2; exit 1; fi; \
	exit $$tests

# Pictures of every window, from a scripted session under Xvfb: build/demo/index.html.
demo: build
	bash scripts/demo.sh

# Tick phase, firing latency, memory, CPU and start-up against a plain Qt baseline.
bench: build
	bash scripts/bench.sh

# A Debian package of the installed tree, under build/package/.
package: build
	bash scripts/package.sh

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build
