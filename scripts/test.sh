#!/usr/bin/env bash
# Builds everything and runs every test.
#   scripts/test.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${1:-build}"
scripts/build.sh "$@"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"
