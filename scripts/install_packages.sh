#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, test and run:
# compiler and build tools, cairo/freetype/fontconfig/libpng for the platform
# stand-in, the fonts the pictures are drawn with, GoogleTest and Google
# Benchmark, clang with its sanitizer and fuzzer runtimes, clang-format and
# clang-tidy.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libcairo2-dev libfreetype-dev libfontconfig-dev libpng-dev
  fonts-liberation2 fonts-dejavu-core
  libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format clang-tidy
)

as_root=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null 2>&1 || { echo "install_packages: run as root or install sudo" >&2; exit 1; }
  as_root=(sudo)
fi

export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y "${packages[@]}"
