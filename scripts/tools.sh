# Installs the tools the build and the tests need, only where one is missing.
# Sourced through scripts/start.sh; runs apt-get update at most once.
tavrel_need_tools() {
    local missing=()
    command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)
    command -v cmake >/dev/null || missing+=(cmake)
    command -v g++ >/dev/null || missing+=(g++)
    command -v wine >/dev/null || missing+=(wine)
    [ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null || missing+=(wine64)
    command -v Xvfb >/dev/null || missing+=(xvfb)
    command -v xdotool >/dev/null || missing+=(xdotool)
    command -v xwininfo >/dev/null || missing+=(x11-utils)
    command -v import >/dev/null || missing+=(imagemagick)
    [ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
    [ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
    local t; for t in makensis:nsis zip:zip unzip:unzip; do command -v "${t%%:*}" >/dev/null || missing+=("${t#*:}"); done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
}

# Configures a Windows build tree (default build/win) for the cross compiler and builds the
# targets named after it, or everything when none is named.
tavrel_build_win() {
    local tree="${1:-build/win}"
    shift || true
    cmake -S . -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    if [ $# -gt 0 ]; then
        cmake --build "$tree" -j "$(nproc 2>/dev/null || echo 2)" --target "$@"
    else
        cmake --build "$tree" -j "$(nproc 2>/dev/null || echo 2)"
    fi
}
