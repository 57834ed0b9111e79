#!/usr/bin/env bash
# Installs what the fuzz build needs besides the normal build: clang and its runtime libraries
# (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer). Only those that are missing.
set -euo pipefail

packages=(clang libclang-rt-dev)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
