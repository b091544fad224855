#!/usr/bin/env bash
# Configures and builds everything into build/ (Ninja, all cores).
set -euo pipefail
cd "$(dirname "$0")/.."
# ccache hits across checkouts of the repository in other folders.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKLANG_WERROR="${KLANG_WERROR:-OFF}" >/dev/null
cmake --build build --parallel "${KLANG_JOBS:-$(nproc)}"
