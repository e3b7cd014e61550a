#!/usr/bin/env bash
# Installs the Debian packages Quillbrook needs to build, run and test.
# Safe to run again: only packages that are missing are installed.
set -euo pipefail

packages=(build-essential cmake qt6-base-dev qt6-base-dev-tools libqt6printsupport6
          qt6-charts-dev libqt6opengl6-dev  # the charts (Qt6Charts' CMake files need Qt6OpenGL's)
          libxml2-dev libxslt1-dev xvfb xauth fonts-dejavu-core
          libsodium-dev  # the encryption of books that opt in
          clang-format  # the format check of .ci/run
          libcsv-dev libofx-dev  # reading bank statements (CSV, OFX/QFX)
          ledger beancount hledger)  # ledger, hledger and beancount read qbtool export back in the tests

missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
