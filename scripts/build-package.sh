#!/usr/bin/env bash
# Builds the Debian package in its own build folder (no tests, no benchmarks), checks its
# desktop entry and AppStream metadata, and says where the package is and what it needs.
set -euo pipefail
build=${1:-build-package}
jobs=${2:-$(nproc)}
root="$(cd "$(dirname "$0")/.." && pwd)"

# dpkg-shlibdeps computes the dependencies; CPack finds the programs with file; the checkers.
"$root/scripts/install-packages.sh" dpkg-dev file appstream desktop-file-utils

# The optimization of the tested build (-O2; CPack strips the debug information). GCC 12 at -O3
# reports false -Wrestrict warnings in std::string, which -Werror turns into errors.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVG28_TESTS=OFF \
    -DVG28_BENCH=OFF > /dev/null
cmake --build "$build" -j "$jobs" --target package

deb=$(ls -t "$build"/package/vg28-terminal_*.deb | head -n 1)
check=$(mktemp -d)
trap 'rm -rf "$check"' EXIT
dpkg-deb -x "$deb" "$check"
desktop-file-validate "$check"/usr/share/applications/*.desktop
appstreamcli validate --no-net --pedantic "$check"/usr/share/metainfo/*.metainfo.xml
dpkg-deb -I "$deb"
echo "Package: $deb"
