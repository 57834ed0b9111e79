#!/usr/bin/env bash
# Installs what the fuzz build needs besides the normal build: clang and its runtime libraries
# (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer). Only those that are missing.
set -euo pipefail

"$(dirname "$0")/install-packages.sh" clang libclang-rt-dev
