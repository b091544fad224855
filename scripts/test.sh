#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite offscreen, on KLANG_JOBS
# cores (all of them when unset).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure --parallel "${KLANG_JOBS:-$(nproc)}" "$@"
