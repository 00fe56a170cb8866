#!/usr/bin/env bash
# Installs the Debian packages the program and its tests need.
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
  g++ cmake ninja-build pkg-config \
  qt6-base-dev qt6-base-dev-tools \
  libsqlite3-dev sqlite3 libcsv-dev libcurl4-openssl-dev \
  libgtest-dev libgmock-dev libbenchmark-dev \
  poppler-utils fonts-dejavu-core \
  python3-aiosmtpd \
  librsvg2-bin dpkg-dev file desktop-file-utils appstream
