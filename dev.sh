#!/usr/bin/env bash
# Set up, build and start Kielwanz, or run its whole test suite headless.
#   ./dev.sh start   install what is missing, build, start the game
#   ./dev.sh test    install what is missing, build, run every test
# Safe to run again: it installs only missing packages and builds incrementally.
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev
          libcurl4-openssl-dev libzip-dev libssl-dev libgl-dev xvfb xauth
          fonts-liberation fonts-dejavu-core python3 zip openssl
          dpkg-dev file desktop-file-utils appstream)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

build() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build --parallel "$(nproc)"
}

case "${1:-}" in
start)
    install_missing
    build
    exec ./build/kielwanz "${@:2}"
    ;;
test)
    install_missing
    build
    export QT_QPA_PLATFORM=offscreen
    export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
    chmod 700 "$XDG_RUNTIME_DIR"
    ctest --test-dir build --output-on-failure --parallel "$(nproc)"
    ;;
*)
    echo "usage: $0 start|test" >&2
    exit 2
    ;;
esac
