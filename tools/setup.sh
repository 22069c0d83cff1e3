#!/usr/bin/env bash
# Installs what the build needs (Debian packages, as root), then configures
# and builds everything into build/. Safe to run again: it installs only what
# is missing and rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

source tools/install_missing.sh
install_missing g++ cmake make libgtest-dev libbenchmark-dev libtiff-dev libcli11-dev nlohmann-json3-dev libcpp-httplib-dev

# The studio's front end: npm packages from the lock file, tested in
# Debian's Chromium. The machine's node is kept; only a machine without one
# gets Debian's. Vite needs Node.js 20.19 or newer (Debian 12's own is 18):
# with an older one everything else is built, and the studio's front end and
# browser tests are left out, with a word why.
command -v npm >/dev/null || install_missing nodejs npm
web=ON
if ! node -e 'const [a, b] = process.versions.node.split(".").map(Number); process.exit(a > 20 || (a === 20 && b >= 19) ? 0 : 1)'; then
  echo "setup: Node.js $(node --version) is older than 20.19, which the studio's front end needs; building without it" >&2
  web=OFF
fi
if [ "$web" = ON ]; then
  install_missing chromium
  (cd web && npm ci --no-audit --no-fund --loglevel=error)
fi

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPULSOR_WEB=$web -DPULSOR_BROWSER_TESTS=$web >/dev/null
cmake --build build -j"$(nproc)"
