#!/usr/bin/env bash
# Builds the project with warnings as errors, builds the fuzz targets with
# clang, and runs the whole test suite headless: Xvfb for the display, Mesa's
# llvmpipe for OpenGL, SDL's dummy audio driver unless another is asked for.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

build=${BUILD_TEST:-build-test}
fuzz_build=${BUILD_FUZZ:-build-fuzz}
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
cd "$build"
xvfb-run -a -s "-screen 0 1280x720x24 -nolisten tcp" \
  ctest --output-on-failure -j "$jobs"
