#!/usr/bin/env bash
# Builds the project with warnings as errors and runs the whole test suite
# headless: Xvfb for the display, Mesa's llvmpipe for OpenGL.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_TEST:-build-test}
cmake -S . -B "$build" -G Ninja -DGLASSWAKE_WERROR=ON
cmake --build "$build" -j "$(nproc)"

export LIBGL_ALWAYS_SOFTWARE=1
export GALLIUM_DRIVER=llvmpipe
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
cd "$build"
xvfb-run -a -s "-screen 0 1280x720x24 -nolisten tcp" \
  ctest --output-on-failure -j "$(nproc)"
