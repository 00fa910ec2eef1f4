#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package talvor_<version>_<arch>.deb from a clean Release build and leaves it in the
# repository's top folder (or in the folder given as the first argument). Prints the package's path; the
# build's progress goes to standard error.
set -euo pipefail
exec 3>&1 1>&2
cd "$(dirname "$0")/.."
mkdir -p "${1:-.}"
out=$(realpath "${1:-.}")
scripts/deps.sh
build=build-package
rm -rf "$build"
# Debian's own compiler and linker flags (hardening, build paths kept out of the binary).
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DTALVOR_TESTS=OFF \
      -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" -DCMAKE_MODULE_LINKER_FLAGS="$LDFLAGS" >/dev/null
cmake --build "$build" -j "$(nproc)" --target talvor_program talvor_package_files
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(cd "$build" && ls talvor_*.deb)
mv "$build/$deb" "$out/"
echo "$out/$deb" >&3
