#!/usr/bin/env bash
# Builds a static FreeType for 64-bit Windows into PREFIX, for typekiln-import.exe:
#   tools/mingw_freetype.sh build/mingw-freetype
# Debian has no MinGW build of FreeType, so this takes Debian's own FreeType source package
# (`apt-get source freetype`, with Debian's patches and security fixes applied) and cross-compiles
# it once with the MinGW-w64 compiler and cmake/mingw-w64-x86_64.toolchain.cmake. It leaves
# PREFIX/lib/libfreetype.a and PREFIX/include/freetype2, which CMake's find_package(Freetype)
# finds once PREFIX is in CMAKE_FIND_ROOT_PATH. The library needs nothing outside itself: no
# libpng, brotli, harfbuzz or bzip2, and FreeType's own copy of zlib's inflate code for `.pcf.gz`
# fonts. When PREFIX already holds the library, it does nothing.
#
# apt-get source needs a deb-src entry. A machine with none gets one made from its own apt
# sources (the same archives, suites and keys as its deb entries for this Debian release), in
# /etc/apt/sources.list.d/typekiln-deb-src.*, followed by apt-get update; that, and installing
# missing tools, needs root (or sudo).
set -euo pipefail

if [ "$#" -ne 1 ] || [ -z "$1" ]; then
  echo "usage: $0 PREFIX" >&2
  exit 2
fi

root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
prefix=$(cd "$1" && pwd)
work=$root/build/freetype-source
toolchain=$root/cmake/mingw-w64-x86_64.toolchain.cmake
log=$work/build.log

if [ -f "$prefix/lib/libfreetype.a" ] && [ -f "$prefix/include/freetype2/ft2build.h" ]; then
  exit 0
fi

# shellcheck source=debian_source.sh
me=mingw_freetype.sh
. "$root/tools/debian_source.sh"

need_packages dpkg-dev cmake make gcc-mingw-w64-x86-64-posix
ensure_deb_src freetype

tree=$(fetch_source freetype "$work")

# FreeType's internal copy of zlib's inflate code, which src/gzip builds when no system zlib is
# used; without it, `.pcf.gz` fonts would need the MinGW zlib.
[ -f "$tree/src/gzip/inflate.c" ] ||
  die "$tree has no built-in zlib (src/gzip/inflate.c)"

# Every optional library is pinned off, so the result does not depend on what the machine has;
# with FT_DISABLE_ZLIB the gzip module uses FreeType's own inflate code.
logged cmake -S "$tree" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON \
  -DFT_DISABLE_BROTLI=ON
logged cmake --build "$work/build" -j 2
# The gzip module on its own inflate code, and no outside library asked for: checked in the
# options the configure wrote, before anything is installed.
options=$work/build/include/freetype/config/ftoption.h
grep -q '^#define FT_CONFIG_OPTION_USE_ZLIB' "$options" ||
  die "the build left the gzip module out ($options)"
if grep -Eq '^#define FT_CONFIG_OPTION_(SYSTEM_ZLIB|USE_BZIP2|USE_PNG|USE_HARFBUZZ|USE_BROTLI)' \
  "$options"; then
  die "the build asks for an outside library ($options)"
fi
logged cmake --install "$work/build"
[ -f "$prefix/lib/libfreetype.a" ] || die "the build left no $prefix/lib/libfreetype.a"
echo "mingw_freetype.sh: FreeType $(basename "$tree" | sed 's/^freetype-//') for Windows in $prefix"
