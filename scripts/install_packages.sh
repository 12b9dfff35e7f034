#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, test and run:
# compiler and build tools, cairo/freetype/fontconfig/libpng for the platform
# stand-in, the fonts the pictures are drawn with, GoogleTest and Google
# Benchmark, clang with its sanitizer and fuzzer runtimes, clang-format and
# clang-tidy; ffmpeg, which `horaz render` reads and writes video files with,
# and its libraries for the module that decodes video in horaz's own process;
# help2man and dpkg-dev (with file) for the man page and the Debian package;
# the frei0r header and the hosts the frei0r filter is tested in (ffmpeg,
# melt, GStreamer's frei0r wrapper and the elements its pipelines use); the
# studio's HTTP and JSON libraries, and Chromium with Node.js for the studio's
# browser tests. Given package names, it installs those instead (the Windows
# build's cross compilers and Wine).
#   scripts/install_packages.sh [PACKAGE ...]
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libcairo2-dev libfreetype-dev libfontconfig-dev libpng-dev
  fonts-liberation2 fonts-dejavu-core
  libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format clang-tidy
  ffmpeg libavformat-dev libavcodec-dev libavutil-dev help2man dpkg-dev file
  frei0r-plugins-dev melt
  gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  libcpp-httplib-dev nlohmann-json3-dev
  chromium nodejs
)
(($#)) && packages=("$@")
as_root=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null 2>&1 || { echo "install_packages: run as root or install sudo" >&2; exit 1; }
  as_root=(sudo)
fi

export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y "${packages[@]}"
