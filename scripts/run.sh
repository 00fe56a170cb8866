#!/usr/bin/env bash
# Sets up, builds and starts the program. Extra arguments go to the program
# (for instance --data-dir DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec build/randola "$@"
