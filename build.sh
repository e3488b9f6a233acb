#!/usr/bin/env bash
# ./build.sh test   install what is missing, build, run every test
# ./build.sh run    install what is missing, build, start the tool
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake ninja-build g++ libgtest-dev qt6-base-dev fonts-liberation2
          libfiu-dev fiu-utils clang libclang-rt-14-dev)
build_dir=${BUILD_DIR:-build}
fuzz_seconds=${FUZZ_SECONDS:-10}

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

configure_and_build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$dir"
}

# The core's tests once more under AddressSanitizer and UBSan.
sanitized_tests() {
    configure_and_build "$build_dir-sanitize" -DGRITTYDECAL_WINDOW=OFF -DGRITTYDECAL_SANITIZE=ON
    ctest --test-dir "$build_dir-sanitize" --output-on-failure
}

# Each fuzz target for a few seconds from its seed corpus; a finding fails.
fuzzing() {
    local targets=(clear_filter end_mark) target work status
    CXX=clang++ cmake -S . -B "$build_dir-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DGRITTYDECAL_WINDOW=OFF -DGRITTYDECAL_FUZZ=ON
    cmake --build "$build_dir-fuzz" --target "${targets[@]/%/_fuzz}"
    for target in "${targets[@]}"; do
        work=$(mktemp -d)
        mkdir "$work/corpus"
        status=0
        "$build_dir-fuzz/tests/fuzz/${target}_fuzz" -max_total_time="$fuzz_seconds" \
            -print_final_stats=1 -artifact_prefix="$work/" "$work/corpus" \
            "tests/fuzz/corpus/$target" >"$work/log" 2>&1 || status=$?
        echo "$target: $(grep -E '^stat::number_of_executed_units' "$work/log" || echo 'no runs')"
        if [ "$status" -ne 0 ]; then
            tail -n 40 "$work/log" >&2
            echo "fuzzing $target failed; inputs and log in $work" >&2
            exit 1
        fi
        rm -rf "$work"
    done
}

case "${1:-}" in
    test)
        install_missing
        configure_and_build "$build_dir"
        QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} \
            ctest --test-dir "$build_dir" --output-on-failure
        fuzzing
        sanitized_tests
        ;;
    run)
        install_missing
        configure_and_build "$build_dir"
        exec "$build_dir/src/app/grittydecal"
        ;;
    *)
        echo "usage: $0 test|run" >&2
        exit 2
        ;;
esac
