#!/usr/bin/env bash
# Builds the package for the package tests (see tests/package/CMakeLists.txt).
# Usage: build_package.sh <source-dir>
if [ "${PLEMOX_PACKAGE_TESTS:-}" != 1 ]; then
  echo "skipped: the package tests run with PLEMOX_PACKAGE_TESTS=1 (scripts/test.sh)"
  exit 77
fi
exec bash "$1/scripts/package.sh"
