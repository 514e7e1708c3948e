#!/usr/bin/env bash
# Runs one libFuzzer target for a while on a scratch corpus seeded from the
# given folders (missing folders are skipped).
#   run-fuzz.sh FUZZER SECONDS [SEED_DIR ...]
# A finding fails the run: its input is printed (base64) and the file is kept
# in findings/ beside the fuzzer, where `FUZZER FILE` reproduces it.
set -uo pipefail
fuzzer=$1; seconds=$2; shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus"
seeds=()
for d in "$@"; do [ -d "$d" ] && seeds+=("$d"); done
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" "${seeds[@]}" >"$work/log" 2>&1
status=$?
tail -n 25 "$work/log"
if [ "$status" -ne 0 ]; then
  kept=$(dirname "$fuzzer")/findings
  mkdir -p "$kept"
  found=0
  for f in "$work"/crash-* "$work"/timeout-* "$work"/leak-* "$work"/oom-* "$work"/slow-unit-*; do
    [ -e "$f" ] || continue
    found=1
    cp "$f" "$kept/"
    echo "finding: $kept/$(basename "$f")"
    base64 -w0 "$f"
    echo
  done
  [ "$found" -eq 1 ] || echo "the fuzzer failed (exit $status) without leaving an input"
fi
exit "$status"
