#!/usr/bin/env bash
# Builds a static FreeType for 64-bit Windows into PREFIX, for typekiln-import.exe:
#   tools/mingw_freetype.sh build/mingw-freetype
# Debian has no MinGW build of FreeType, so this takes Debian's own FreeType source package
# (`apt-get source freetype`, with Debian's patches and security fixes applied) and cross-compiles
# it once with the MinGW-w64 compiler and cmake/mingw-w64-x86_64.toolchain.cmake. It leaves
# PREFIX/lib/libfreetype.a and PREFIX/include/freetype2, which CMake's find_package(Freetype)
# finds once PREFIX is in CMAKE_FIND_ROOT_PATH. The library needs no libpng, brotli, harfbuzz or
# bzip2; it inflates `.pcf.gz` fonts with MinGW's zlib (libz-mingw-w64-dev), the zlib the tools'
# PNG reader links too, since FreeType's own copy of zlib's inflate code defines the same names
# and the two cannot share one program. When PREFIX already holds such a library, it does
# nothing; one built on FreeType's own inflate code is built again.
#
# apt-get source needs a deb-src entry. A machine with none gets one made from its own apt
# sources (the same archives, suites and keys as its deb entries for this Debian release), in
# /etc/apt/sources.list.d/typekiln-deb-src.*, followed by apt-get update; that, and installing
# missing tools, needs root (or sudo).
set -euo pipefail

# shellcheck source=debian_source.sh
. "$(dirname "$0")/debian_source.sh"
prefix=$(folder_argument PREFIX "$@")
work=$root/build/freetype-source
toolchain=$root/cmake/mingw-w64-x86_64.toolchain.cmake
log=$work/build.log

installed_options=$prefix/include/freetype2/freetype/config/ftoption.h
if [ -f "$prefix/lib/libfreetype.a" ] && [ -f "$installed_options" ] &&
  grep -q '^#define FT_CONFIG_OPTION_SYSTEM_ZLIB' "$installed_options"; then
  exit 0
fi
rm -rf "$work/build"


need_packages dpkg-dev cmake make gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev
ensure_deb_src freetype

tree=$(fetch_source freetype "$work")

# Every optional library but zlib is pinned off, so the result does not depend on what the
# machine has; FT_REQUIRE_ZLIB fails the configure rather than fall back on FreeType's own copy.
logged cmake -S "$tree" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DFT_REQUIRE_ZLIB=ON -DZLIB_USE_STATIC_LIBS=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
logged cmake --build "$work/build" -j 2
# The gzip module on MinGW's zlib, and no other outside library asked for: checked in the options
# the configure wrote, before anything is installed.
options=$work/build/include/freetype/config/ftoption.h
grep -q '^#define FT_CONFIG_OPTION_SYSTEM_ZLIB' "$options" ||
  die "the build left the gzip module off MinGW's zlib ($options)"
if grep -Eq '^#define FT_CONFIG_OPTION_(USE_BZIP2|USE_PNG|USE_HARFBUZZ|USE_BROTLI)' "$options"; then
  die "the build asks for an outside library other than zlib ($options)"
fi
logged cmake --install "$work/build"
[ -f "$prefix/lib/libfreetype.a" ] || die "the build left no $prefix/lib/libfreetype.a"
echo "mingw_freetype.sh: FreeType $(basename "$tree" | sed 's/^freetype-//') for Windows in $prefix"
