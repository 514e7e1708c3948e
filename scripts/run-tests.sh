#!/usr/bin/env bash
# Builds the project with warnings as errors, builds the fuzz targets with
# clang, and runs the whole test suite headless: Xvfb for the display, Mesa's
# llvmpipe for OpenGL, SDL's dummy audio driver unless another is asked for.
# Then the same suite again on a build with AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

build=${BUILD_TEST:-build-test}
fuzz_build=${BUILD_FUZZ:-build-fuzz}
asan_build=${BUILD_ASAN:-build-asan}
jobs=$(nproc)

cmake -S . -B "$fuzz_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DGLASSWAKE_FUZZ=ON -DGLASSWAKE_TESTS=OFF
cmake --build "$fuzz_build" -j "$jobs"

cmake -S . -B "$build" -G Ninja -DGLASSWAKE_WERROR=ON -DGLASSWAKE_FUZZ_BUILD_DIR="$root/$fuzz_build"
cmake --build "$build" -j "$jobs"

export LIBGL_ALWAYS_SOFTWARE=1
export GALLIUM_DRIVER=llvmpipe
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
# Xvfb and Mesa are always there: a GL test that finds no context fails.
export GLASSWAKE_REQUIRE_GL=1
run_suite() {
  (cd "$1" && xvfb-run -a -s "-screen 0 1280x720x24 -nolisten tcp" \
    ctest --output-on-failure -j "$jobs" "${@:2}")
}
run_suite "$build"

# The sanitizer build: any report fails its test (the fuzz targets are
# sanitized builds already and do not run twice). It is built with clang 19
# and its own sanitizer runtime: GCC 12's LeakSanitizer cannot walk the
# dynamic TLS of libraries opened at run time under glibc 2.36 (Mesa's
# driver, LLVM under it) and falls back on marking the dynamic linker's
# blocks reachable, a pass whose tracer at times crashes on the process's
# threads ("Tracer caught signal 11"). (Warnings are errors in the build
# above only: the sanitizers' instrumentation brings false ones.)
cmake -S . -B "$asan_build" -G Ninja -DGLASSWAKE_SANITIZE=ON -DGLASSWAKE_FUZZ_BUILD_DIR= \
  -DCMAKE_C_COMPILER=clang-19 -DCMAKE_CXX_COMPILER=clang++-19
cmake --build "$asan_build" -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1
export LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Reports name their functions and lines.
symbolizer=$(command -v llvm-symbolizer || true)
[ -n "$symbolizer" ] && export ASAN_SYMBOLIZER_PATH=$symbolizer
run_suite "$asan_build" --timeout 900
