#!/usr/bin/env bash
# ./build.sh test   install what is missing, build, run every test
# ./build.sh run    install what is missing, build, start the tool
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ libgtest-dev qt6-base-dev fonts-liberation2)
build_dir=${BUILD_DIR:-build}

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Install them as root, then run this again:" >&2
        echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build() {
    cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build "$build_dir"
}

case "${1:-}" in
    test)
        install_missing
        build
        QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} \
            ctest --test-dir "$build_dir" --output-on-failure
        ;;
    run)
        install_missing
        build
        exec "$build_dir/src/app/grittydecal"
        ;;
    *)
        echo "usage: $0 test|run" >&2
        exit 2
        ;;
esac
