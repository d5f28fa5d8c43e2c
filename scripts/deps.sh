#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests, the fuzz targets, the benchmarks and
# ./run use, only those missing. Recommended packages are never relied on: every package a
# configure finds is named here or is a hard dependency of one named here
# (scripts/check-deps.sh keeps it so).
#
#   scripts/deps.sh          install what is missing
#   scripts/deps.sh --list   print the package names, one a line
set -euo pipefail
packages=(
  # build tools and compilers (clang and its runtime for the fuzz targets)
  cmake ninja-build g++ clang libclang-rt-14-dev lld pkg-config ccache
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # the throwaway database server the tests and benchmarks run PostgreSQL on
  postgresql
  # server and wire
  libsqlite3-dev libpq-dev libcpp-httplib-dev nlohmann-json3-dev
  # TLS on the wire: the listener and the tests use OpenSSL directly
  libssl-dev
  # spreadsheet export (XLSX workbooks)
  libxlsxwriter-dev
  # tests read back the workbooks (unzip) and the month's PDF (pdfinfo, pdftoppm)
  unzip poppler-utils
  # desktop: Qt Charts needs Qt OpenGL's development files, which qt6-base-dev only recommends
  qt6-base-dev libqt6opengl6-dev qt6-charts-dev
  # OpenGL development files that Qt's configure finds (EGL, GLU); not hard dependencies of Qt's
  libegl-dev libglu1-mesa-dev
  # the fonts the window is laid out for
  fonts-dejavu-core fonts-dejavu-extra
)
if [ "${1:-}" = "--list" ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
