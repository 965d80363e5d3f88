#!/usr/bin/env bash
# Installs the Debian packages that building and testing Frayline need.
# Idempotent: when everything is present it says so and changes nothing.
#
#   scripts/deps.sh            native and cross toolchains (what CI runs)
#   scripts/deps.sh --native   the native x86-64 build only
#   scripts/deps.sh --bench    the native build and what scripts/bench.sh
#                              compares against: ffmpeg and frei0r-plugins
#
# The cross part adds the i386 multiarch libraries, qemu user emulation (the
# kernel here runs no 32-bit code itself), MinGW-w64 in both widths and Wine
# with Xvfb to run the Windows builds' tests.
set -euo pipefail

native_packages=(
    build-essential cmake ninja-build pkg-config
    python3-glad
    libgtest-dev libgmock-dev libbenchmark-dev
    libegl-dev libegl-mesa0 libgl1-mesa-dri libgl-dev libgbm1
    libpng-dev
    clang libclang-rt-14-dev
)

cross_packages=(
    gcc-multilib g++-multilib
    libegl-dev:i386 libegl-mesa0:i386 libgl1-mesa-dri:i386 libgl-dev:i386
    libgtest-dev:i386 libgmock-dev:i386 libpng-dev:i386
    qemu-user qemu-user-static
    g++-mingw-w64-x86-64 g++-mingw-w64-i686
    wine64 wine32:i386 wine32-preloader:i386
    xvfb xauth
)

# Only the benchmarks need these; CI's test run does not pay for them.
bench_packages=(ffmpeg frei0r-plugins)

cross=1
bench=0
case "${1:-}" in
    --native) cross=0 ;;
    --bench) cross=0; bench=1 ;;
    "") ;;
    *) echo "usage: $0 [--native | --bench]" >&2; exit 2 ;;
esac

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
apt_get() { $sudo apt-get -o DPkg::Lock::Timeout=600 "$@"; }

wanted=("${native_packages[@]}")
if [ "$bench" -eq 1 ]; then
    wanted+=("${bench_packages[@]}")
fi
if [ "$cross" -eq 1 ]; then
    wanted+=("${cross_packages[@]}")
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        echo "deps: enabling the i386 architecture"
        $sudo dpkg --add-architecture i386
        need_update=1
    fi
fi

# Installed packages as name:arch, so that libgtest-dev:i386 does not count
# for the native libgtest-dev or the other way round.
native_arch=$(dpkg --print-architecture)
installed=$(dpkg-query -W -f='${Package}:${Architecture} ${db:Status-Abbrev}\n' | awk '$2 == "ii" {print $1}')
missing=()
for p in "${wanted[@]}"; do
    case "$p" in
        *:*) candidates="$p" ;;
        *) candidates="$p:$native_arch $p:all" ;;
    esac
    found=0
    for c in $candidates; do
        if grep -qxF "$c" <<<"$installed"; then found=1; fi
    done
    [ "$found" -eq 1 ] || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "deps: installing ${missing[*]}"
    apt_get update -qq
    # --no-remove: an i386 package must never push out a native one.
    apt_get install -y -qq --no-install-recommends --no-remove "${missing[@]}" >/dev/null
elif [ "${need_update:-0}" -eq 1 ]; then
    apt_get update -qq
fi

if [ "$cross" -eq 1 ]; then
    # 32-bit Wine is an i386 ELF program: the kernel hands it to qemu through
    # binfmt_misc. The F flag opens the interpreter at registration, so it
    # also works inside Wine's own namespaces and after a chroot.
    binfmt=/proc/sys/fs/binfmt_misc
    if [ ! -e "$binfmt/register" ]; then
        $sudo mount -t binfmt_misc binfmt_misc "$binfmt"
    fi
    if [ ! -e "$binfmt/qemu-i386" ]; then
        echo "deps: registering qemu-i386-static for i386 programs"
        magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
        mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
        echo ":qemu-i386:M::${magic}:${mask}:/usr/bin/qemu-i386-static:F" | $sudo tee "$binfmt/register" >/dev/null
    fi
fi

if [ ${#missing[@]} -eq 0 ]; then
    echo "deps: all packages present, nothing to install"
fi
