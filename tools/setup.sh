#!/usr/bin/env bash
# Installs what the build needs (Debian packages, as root), then configures
# and builds everything into build/. Safe to run again: it installs only what
# is missing and rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

source tools/install_missing.sh
install_missing g++ cmake make libgtest-dev libbenchmark-dev libtiff-dev libcli11-dev nlohmann-json3-dev libcpp-httplib-dev

# The studio's front end: npm packages from the lock file, tested in
# Debian's Chromium. The machine's node (20.19 or newer) is kept; only a
# machine without one gets Debian's.
command -v npm >/dev/null || install_missing nodejs npm
install_missing chromium
(cd web && npm ci --no-audit --no-fund --loglevel=error)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPULSOR_WEB=ON -DPULSOR_BROWSER_TESTS=ON >/dev/null
cmake --build build -j"$(nproc)"
