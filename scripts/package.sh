#!/usr/bin/env bash
# Builds Kinora's Debian package: a release build of the application in
# build-package/ (only what the program needs, not the tests), then CPack.
# Prints the package's control information and contents.
#
# usage: scripts/package.sh [BUILD_DIR]      (default: build-package)
set -euo pipefail
cd "$(dirname "$0")/.."
"$(pwd)/scripts/install-deps.sh"
build=${1:-build-package}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKINORA_BENCH=OFF -DKINORA_TEST_PCH=OFF \
      -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j2 --target kinora
(cd "$build" && cpack -G DEB)
deb=$(ls -t "$build"/kinora_*.deb | head -1)
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
echo "$deb"
