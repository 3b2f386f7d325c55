#!/usr/bin/env bash
# Builds KivBatch and solves a bundled example; the results land in out/:
#   out/NAME.kve (result file), out/KivRadiosity.log (solution log),
#   out/NAME.png (tone-mapped illuminance atlas), out/NAME.hdr (the atlas as an RGBE image).
#   scripts/run_example.sh [examples/NAME.kvb]     (default: the Cornell box)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh build
EXAMPLE="$(realpath "${1:-examples/cornell_box.kvb}")"
NAME="$(basename "$EXAMPLE" .kvb)"
mkdir -p out
cd out
../build/batch/KivBatch --image "$NAME.png" --atlas "$NAME.hdr" "$EXAMPLE" "$NAME.kve"
echo "wrote out/$NAME.kve, out/KivRadiosity.log, out/$NAME.png and out/$NAME.hdr"
