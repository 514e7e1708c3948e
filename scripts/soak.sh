#!/usr/bin/env bash
# Soak runs on a built tree: 50 levels headless, then the game drawn in full
# for 10 minutes at 320x180 under Xvfb and Mesa's llvmpipe.
#   scripts/soak.sh [BUILD=build] [SECONDS=600]
set -euo pipefail
build=${1:-build}
seconds=${2:-600}
"$build/glasswake-soak" 50 60
LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} \
  xvfb-run -a -s "-screen 0 1280x720x24 -nolisten tcp" "$build/glasswake-soak-rendered" "$seconds" 320x180
