#!/usr/bin/env bash
# Runs one libFuzzer target for a while on a scratch corpus seeded from the
# given folders (missing folders are skipped).
#   run-fuzz.sh FUZZER SECONDS [SEED_DIR ...]
set -euo pipefail
fuzzer=$1; seconds=$2; shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seeds=()
for d in "$@"; do [ -d "$d" ] && seeds+=("$d"); done
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$work/" "$work" "${seeds[@]}" 2>&1 | tail -n 25
status=${PIPESTATUS[0]}
if [ "$status" -ne 0 ]; then
  for f in "$work"/crash-* "$work"/timeout-* "$work"/leak-* "$work"/oom-*; do
    [ -e "$f" ] && { echo "finding: $f"; base64 -w0 "$f"; echo; }
  done
fi
exit "$status"
