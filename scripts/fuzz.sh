#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# FUZZ_SECONDS sets the time per target (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
export CC=clang CXX=clang++
BUILD_DIR=build-fuzz BUILD_TYPE=RelWithDebInfo \
  CMAKE_EXTRA_ARGS="-DQV_BUILD_FUZZ=ON -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF" \
  bash scripts/setup.sh
shopt -s nullglob
targets=(build-fuzz/fuzz/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
  echo "No fuzz targets."
  exit 0
fi
fixtures=$(cd .. && pwd)/shared/fixtures
for target in "${targets[@]}"; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  work=$(mktemp -d)
  # Seeds: the project's own corpus for this target, plus whatever it names in fixtures.
  seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds+=("fuzz/corpus/$name")
  if [ -f "fuzz/corpus/$name.fixtures" ] && [ -d "$fixtures" ]; then
    while read -r rel; do
      [ -n "$rel" ] && [ -e "$fixtures/$rel" ] && cp -r "$fixtures/$rel" "$work/" 2>/dev/null || true
    done < "fuzz/corpus/$name.fixtures"
  fi
  echo "== $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "$work" "${seeds[@]}" 2>&1 | tail -n 15
  rm -rf "$work"
done
