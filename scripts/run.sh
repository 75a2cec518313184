#!/usr/bin/env bash
# Set up, build, and start the application.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
app="${BUILD_DIR:-build}/app/quorlith"
if [ -x "$app" ]; then
  exec "$app" "$@"
fi
echo "The build made no $app." >&2
exit 1
