# Two commands do everything: `make test` and `make run`. Both install what is missing,
# configure CMake for i386 into build/ and build; then test runs every test, run starts the
# program.
BUILD   ?= build
JOBS    ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps configure build test run install clean sanitize

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/i386.cmake $(CMAKE_FLAGS)

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

run: build
	exec $(BUILD)/armonix

# The whole tree with AddressSanitizer, LeakSanitizer and UBSan in build-sanitize/, then every
# test (cmake/Sanitize.cmake). The sanitizers need a kernel that runs i386 programs itself.
SANITIZE_BUILD ?= build-sanitize
sanitize: deps
	@if grep -qsx enabled /proc/sys/fs/binfmt_misc/qemu-i386; then \
	  echo "make sanitize: i386 programs run here through qemu-i386, under which the sanitizers cannot run; nothing done"; \
	else \
	  cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/i386.cmake $(CMAKE_FLAGS) -DAMX_SANITIZE=ON && \
	  cmake --build $(SANITIZE_BUILD) -j $(JOBS) && \
	  cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600; \
	fi

# The program, its desktop entry, icon and README under PREFIX, staged under DESTDIR if given.
# Only what is installed is built (target amx_installable), not the tests.
PREFIX ?= /usr/local
install: configure
	cmake -S . -B $(BUILD) >/dev/null
	cmake --build $(BUILD) -j $(JOBS) --target amx_installable
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

clean:
	rm -rf $(BUILD)
