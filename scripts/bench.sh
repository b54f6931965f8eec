#!/usr/bin/env bash
# Runs every benchmark program that the build produced under bench/.
set -euo pipefail
build=${1:-build}
shopt -s nullglob
found=0
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  found=1
  echo "== $(basename "$b")"
  "$b" --benchmark_min_time=0.2
done
for s in bench/*.sh; do
  found=1
  echo "== $(basename "$s")"
  "$s" "$build"
done
[ $found -eq 1 ] || echo "bench: no benchmarks built yet"
