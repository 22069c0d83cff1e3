#!/usr/bin/env bash
# Installs what the build needs (Debian packages, as root), then configures
# and builds everything into build/. Safe to run again: it installs only what
# is missing and rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

source tools/install_missing.sh
install_missing g++ cmake make libgtest-dev libbenchmark-dev libtiff-dev libcli11-dev nlohmann-json3-dev libcpp-httplib-dev

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
