#!/usr/bin/env bash
# Installs the Debian packages the benchmarks need (not needed to build or test):
# ukui-wallpapers ships the photographs of the JPEG benchmark.
set -euo pipefail
exec "$(dirname "$0")/install-deps.sh" ukui-wallpapers
