#!/usr/bin/env bash
# Set up, build and start Kielwanz, or run its whole test suite headless.
#   ./dev.sh start   install what is missing, build, start the game
#   ./dev.sh test    install what is missing, build, run every test (with
#                    clang also the fuzz targets, replaying their seeds)
#   ./dev.sh fuzz [seconds]  fuzz each target in fuzz/ for that long (60)
# Safe to run again: it installs only missing packages and builds incrementally.
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev
          libcurl4-openssl-dev libzip-dev libssl-dev libgl-dev libavahi-client-dev xvfb xauth
          fonts-liberation fonts-dejavu-core python3 zip openssl
          dpkg-dev file desktop-file-utils appstream clang libclang-rt-dev)

# What the tests of games on the local network run: their own system bus and
# avahi-daemon in a private network. What the keyboard game through the
# accessibility bus runs: the AT-SPI bus, its Python binding and xdotool.
test_packages=(avahi-daemon avahi-utils dbus iproute2
               at-spi2-core python3-pyatspi xdotool)

install_missing() {
    local missing=()
    for p in "${packages[@]}" "$@"; do
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

# The fuzz targets: a clang build of their own with libFuzzer and the
# address and undefined-behaviour sanitizers.
have_fuzz_compiler() {
    command -v clang++ >/dev/null && echo 'extern "C" int LLVMFuzzerTestOneInput(const char *, long) { return 0; }' |
        clang++ -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null
}

build_fuzz() {
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKIELWANZ_FUZZ=ON >/dev/null
    cmake --build build-fuzz --parallel "$(nproc)"
}

case "${1:-}" in
start)
    install_missing
    build
    exec ./build/kielwanz "${@:2}"
    ;;
test)
    install_missing "${test_packages[@]}"
    build
    export QT_QPA_PLATFORM=offscreen
    export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
    chmod 700 "$XDG_RUNTIME_DIR"
    status=0
    ctest --test-dir build --output-on-failure --parallel "$(nproc)" || status=$?
    if have_fuzz_compiler; then
        build_fuzz
        ctest --test-dir build-fuzz --output-on-failure --parallel "$(nproc)" || status=$?
    else
        echo "clang with libFuzzer not found: fuzz targets skipped" >&2
    fi
    exit $status
    ;;
fuzz)
    install_missing
    build_fuzz
    seconds="${2:-60}"
    status=0
    # Speed over detail: no allocation stacks and a small quarantine (run the
    # target on a finding to see it in full); scratch files in memory.
    export ASAN_OPTIONS="${ASAN_OPTIONS:-malloc_context_size=0:quarantine_size_mb=16}"
    [ -w /dev/shm ] && export TMPDIR=/dev/shm
    for target in build-fuzz/fuzz/fuzz_*; do
        [ -f "$target" ] && [ -x "$target" ] || continue
        name="${target##*/fuzz_}"
        # New inputs go to build-fuzz/corpus/<name>, crashes to build-fuzz/findings/;
        # the committed seeds stay as they are.
        mkdir -p "build-fuzz/corpus/$name" build-fuzz/findings
        dict=()
        [ -f "fuzz/$name.dict" ] && dict=("-dict=fuzz/$name.dict")
        echo "== $name: ${seconds} s"
        "$target" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
            -artifact_prefix="build-fuzz/findings/$name-" "build-fuzz/corpus/$name" "fuzz/corpus/$name" ||
            status=$?
    done
    exit $status
    ;;
*)
    echo "usage: $0 start|test|fuzz [seconds]" >&2
    exit 2
    ;;
esac
