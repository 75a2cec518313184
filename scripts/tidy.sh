#!/usr/bin/env bash
# Runs clang-tidy (the checks in .clang-tidy) over the files named, or over every source file
# of the build when none is named. Needs a configured build ($BUILD_DIR, default build/) for
# its compile commands; a full pass takes many minutes, so name the files you changed.
# Exits non-zero when clang-tidy reports anything.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
if [ ! -f "$build_dir/compile_commands.json" ]; then
  echo "No $build_dir/compile_commands.json: run scripts/setup.sh first." >&2
  exit 2
fi
jobs=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}
if [ $# -gt 0 ]; then
  files=("$@")
else
  # The project's own sources; the generated moc and resource files are not ours to mend.
  mapfile -t files < <(git ls-files '*.cpp' | grep -v '^fuzz/')
fi
out=$(mktemp)
trap 'rm -f "$out"' EXIT
printf '%s\n' "${files[@]}" |
  xargs -P "$jobs" -n 4 clang-tidy -p "$build_dir" --quiet 2>/dev/null >"$out" || true
if grep -q -E ': (warning|error):' "$out"; then
  cat "$out"
  echo "clang-tidy: $(grep -c -E ': (warning|error):' "$out") findings" >&2
  exit 1
fi
echo "clang-tidy: no findings in ${#files[@]} files"
