#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
# Works as root or through sudo; does nothing when everything is there.
set -euo pipefail

packages=(
    cmake ninja-build g++ make pkg-config
    libtinyxml-dev nlohmann-json3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    locales
    qt6-base-dev xvfb xauth fonts-dejavu-core
    qt6-charts-dev libqt6opengl6-dev qt6-svg-dev
    qt6-translations-l10n
)

"$(dirname "$0")/install-packages.sh" "${packages[@]}"

# A locale with a decimal comma, for the tests that check numbers never follow the C locale.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
fi
