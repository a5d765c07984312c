#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root) and builds Termifolio98.
#   tools/setup.sh --run    install, build and start the program
#   tools/setup.sh --test   install, build and run the whole test suite
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev qt6-translations-l10n
  fonts-liberation2 xdg-utils
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth imagemagick poppler-utils desktop-file-utils
  dpkg-dev appstream python3
  clang libclang-rt-14-dev
  python3-vobject python3-icalendar python3-dateutil dbus-daemon
  libxcb1-dev
  qtkeychain-qt6-dev
  radicale xandikos openssl
  python3-caldav vdirsyncer curl bc
)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# build <dir> [cmake options...] [-- targets...]
build() {
  local dir=$1; shift
  local options=() targets=()
  while (($#)) && [ "$1" != "--" ]; do options+=("$1"); shift; done
  (($#)) && shift && targets=("$@")
  cmake -S . -B "$dir" -G Ninja "${options[@]}" >/dev/null
  if ((${#targets[@]})); then
    cmake --build "$dir" -j "$(nproc)" --target "${targets[@]}"
  else
    cmake --build "$dir" -j "$(nproc)"
  fi
}

mode=${1:---run}
install_packages
case "$mode" in
  --run)
    build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTMF_BUILD_TESTS=OFF -DTMF_BUILD_BENCH=OFF
    exec build/bin/Termif98
    ;;
  --test)
    build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    ctest --test-dir build --output-on-failure -j "$(nproc)" --timeout 300
    # The same suite once more under the address and undefined-behaviour
    # sanitizers; a unity build keeps this second compile short.
    build build-asan -DCMAKE_BUILD_TYPE=Debug -DTMF_SANITIZE=ON -DTMF_BUILD_BENCH=OFF -DCMAKE_UNITY_BUILD=ON \
      -- core_tests engine_tests gui_tests cli_tests termif98-check dav_tests
    # The install test needs the whole program built; the first pass ran it.
    ASAN_OPTIONS=detect_leaks=0 ctest --test-dir build-asan --output-on-failure -j "$(nproc)" --timeout 600 \
      -E '^install_layout$'
    ;;
  *)
    echo "usage: $0 --run | --test" >&2
    exit 2
    ;;
esac
