#!/usr/bin/env bash
# Builds KivBatch and solves the bundled example; the results land in out/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh build
mkdir -p out
EXAMPLE="${1:-examples/scene_commands.kvb}"
NAME="$(basename "$EXAMPLE" .kvb)"
build/batch/KivBatch "$EXAMPLE" "out/$NAME.kve"
echo "wrote out/$NAME.kve"
