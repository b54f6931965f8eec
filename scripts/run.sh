#!/usr/bin/env bash
# Starts the console with the virtual scoreboard as its peer on Com 1.
set -euo pipefail
build=${1:-build}
console="$build/console/scoreboard-console"
if [ ! -x "$console" ]; then
  echo "run: the console is not built yet ($console is missing)." >&2
  exit 1
fi
exec "$console"
