# Shared by scripts/run, scripts/test and scripts/bench: installing what the
# build needs, choosing the Windows architecture that Wine can run here, and
# the private virtual display and Wine server.

TOP=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$TOP/build"
export DEBIAN_FRONTEND=noninteractive

need_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "== installing: ${missing[*]}"
        if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
            dpkg --add-architecture i386
        fi
        # A mirror in the middle of a sync fails an update now and then: it
        # is tried again a little later, and after that the install goes on
        # with the lists that did come (it fails by itself if it lacks one).
        local n
        for n in 1 2 3; do
            apt-get update -qq </dev/null && break
            [ "$n" -eq 3 ] || sleep 20
        done
        if ! apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null >/dev/null; then
            # The 32-bit packages come from the i386 lists, which a mirror can
            # lack for days: without them the tests run the 64-bit build.
            local rest=()
            for p in "${missing[@]}"; do [[ "$p" == *:i386 ]] || rest+=("$p"); done
            [ ${#rest[@]} -lt ${#missing[@]} ] || return 1
            echo "== the i386 packages cannot be installed; installing: ${rest[*]}"
            [ ${#rest[@]} -eq 0 ] || apt-get install -y -qq --no-install-recommends "${rest[@]}" </dev/null >/dev/null
        fi
    fi
}

install_build_deps() {
    need_packages cmake make g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686 \
        g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 \
        wine wine32:i386 wine64 xvfb googletest imagemagick x11-utils
}

# The shipped program is 32-bit. Some kernels cannot execute 32-bit Linux
# programs, and then wine32 cannot run at all: the test programs are then built
# for 64-bit Windows from the same sources and run under wine64.
choose_test_arch() {
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        TEST_ARCH=i686
        TEST_BUILD="$BUILD"
    else
        TEST_ARCH=x86_64
        TEST_BUILD="$BUILD/x64"
    fi
}

configure_build() {  # dir arch
    if [ ! -f "$1/CMakeCache.txt" ]; then
        cmake -S "$TOP" -B "$1" -DCMAKE_TOOLCHAIN_FILE="$TOP/cmake/mingw-$2.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
}

# Starts a private Xvfb (1280x1024 unless a size is given) and exports
# DISPLAY; stopped by stop_display.
start_display() {  # [WIDTHxHEIGHT]
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${1:-1280x1024}x24" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 </dev/null &
    XVFB_PID=$!
    local num
    read -r num <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$num"
}

stop_display() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}

# A persistent Wine server for each prefix of a build, started with no pipe
# attached so that Wine's background services never hold CTest's output open.
# A prefix is named by the build's script that runs programs in it: run-wine
# (the default), run-wine-cp932, run-wine-dpi144.
prefix_of() {  # build dir, runner
    sed -n 's/^export WINEPREFIX="\(.*\)"$/\1/p' "$1/$2"
}

start_wine() {  # build dir [runner...]
    local dir=$1 runner prefix
    shift
    for runner in "${@:-run-wine}"; do
        prefix=$(prefix_of "$dir" "$runner")
        mkdir -p "$prefix"
        WINEPREFIX="$prefix" /usr/lib/wine/wineserver -p >/dev/null 2>&1 </dev/null || true
        "$dir/$runner" wineboot >/dev/null 2>&1 </dev/null
    done
}

stop_wine() {  # build dir [runner...]
    local dir=$1 runner
    shift
    for runner in "${@:-run-wine}"; do
        WINEPREFIX="$(prefix_of "$dir" "$runner")" /usr/lib/wine/wineserver -k >/dev/null 2>&1 </dev/null || true
    done
}

# The Unix locale of the code page 932 prefix: Wine takes a program's code
# page from it, and falls back to 1252 where it is missing.
need_japanese_locale() {
    need_packages locales
    if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
        echo "== making the locale ja_JP.UTF-8"
        localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
    fi
}

# The shipped program as it is released: 32-bit, Release (optimised, stripped).
build_release() {  # source tree, build dir
    if [ ! -f "$2/CMakeCache.txt" ]; then
        cmake -S "$1" -B "$2" -DCMAKE_TOOLCHAIN_FILE="$1/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    cmake --build "$2" -j2 --target tarnwick
}

# The project's version, as the build wrote it into the version header.
release_version() {  # build dir
    sed -n 's/^#define TARNWICK_VERSION_TEXT "\(.*\)"$/\1/p' "$1/res/version.h"
}
