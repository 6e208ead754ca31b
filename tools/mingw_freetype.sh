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

die() {
  echo "mingw_freetype.sh: $*" >&2
  exit 1
}

# Runs a command as root: directly when root, through sudo when there is one.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    die "needs root (and there is no sudo) to run '$*': run this script as root"
  fi
}

# Runs a command with its output in the log; on failure shows the end of the log and stops.
logged() {
  echo "+ $*" >>"$log"
  if ! "$@" >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    die "'$1' failed; the whole log is $log"
  fi
}

# Installs the packages among "$@" that are not installed yet.
need_packages() {
  local missing=() package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "mingw_freetype.sh: installing ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
}

# True when apt has a deb-src entry that is not commented out or disabled.
has_deb_src() {
  local file
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] && grep -Eq '^[[:space:]]*deb-src[[:space:]]' "$file" && return 0
  done
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk 'BEGIN { RS = ""; found = 0 }
         { stanza = tolower($0) }
         stanza ~ /(^|\n)types:[^\n]*deb-src/ && stanza !~ /(^|\n)enabled:[[:space:]]*no/ {
           found = 1
         }
         END { exit !found }' "$file" && return 0
  done
  return 1
}

# Prints deb-src stanzas (deb822) for every deb stanza of the .sources files in "$@" that serves
# this Debian release ($codename or $codename-*), keeping only those suites.
deb822_sources() {
  awk -v codename="$codename" '
    function flush(   i, n, s, suites, kept) {
      if (types ~ /(^|[[:space:]])deb([[:space:]]|$)/ && enabled !~ /^[[:space:]]*no/) {
        n = split(suitesLine, s, /[[:space:]]+/)
        kept = ""
        for (i = 1; i <= n; i++) {
          if (s[i] == codename || index(s[i], codename "-") == 1) kept = kept " " s[i]
        }
        if (kept != "") {
          printf "Types: deb-src\nURIs: %s\nSuites:%s\nComponents: %s\n", uris, kept, components
          if (signedBy != "") printf "Signed-By: %s\n", signedBy
          printf "\n"
        }
      }
      types = uris = suitesLine = components = signedBy = enabled = field = ""
    }
    FNR == 1 { flush() }
    /^[[:space:]]*#/ { next }
    /^[[:space:]]*$/ { flush(); next }
    # A line starting with white space goes on the field above (a Signed-By key block, say).
    /^[[:space:]]/ {
      if (field == "signed-by") signedBy = signedBy "\n" $0
      else if (field == "suites") suitesLine = suitesLine " " $0
      else if (field == "uris") uris = uris " " $0
      else if (field == "components") components = components " " $0
      next
    }
    {
      field = tolower($0); sub(/:.*/, "", field)
      value = $0; sub(/^[^:]*:[[:space:]]*/, "", value)
      if (field == "types") types = value
      else if (field == "uris") uris = value
      else if (field == "suites") suitesLine = value
      else if (field == "components") components = value
      else if (field == "signed-by") signedBy = value
      else if (field == "enabled") enabled = tolower(value)
    }
    END { flush() }' "$@"
}

# Prints a deb-src line for every one-line deb entry in "$@" that serves this Debian release.
one_line_sources() {
  awk -v codename="$codename" '
    $1 == "deb" {
      # "deb [options] URI suite components...": the options end at the field ending in "]".
      i = 2
      if ($2 ~ /^\[/) {
        while (i <= NF && $i !~ /\]$/) i++
        i++
      }
      suite = $(i + 1)
      if (suite == codename || index(suite, codename "-") == 1) {
        $1 = "deb-src"
        print
      }
    }' "$@"
}

# Writes the entries in $2, when there are any, to /etc/apt/sources.list.d/$1; false when none.
write_deb_src() {
  [ -n "$2" ] || return 1
  echo "mingw_freetype.sh: adding deb-src entries in /etc/apt/sources.list.d/$1"
  printf '%s\n' "# Made by typekiln's tools/mingw_freetype.sh from this machine's deb entries." \
    "$2" | as_root tee "/etc/apt/sources.list.d/$1" >/dev/null
}

# Gives apt a deb-src entry made from its deb entries when it has none, then updates its lists.
ensure_deb_src() {
  if has_deb_src; then
    if ! apt-cache showsrc freetype 2>/dev/null | grep -q '^Package: freetype'; then
      as_root apt-get update -qq
    fi
    return
  fi
  # shellcheck source=/dev/null
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || die "cannot tell this Debian release from /etc/os-release"
  local deb822=() oneLine=() file made=0
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] && deb822+=("$file")
  done
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] && oneLine+=("$file")
  done
  if [ "${#deb822[@]}" -gt 0 ] && write_deb_src typekiln-deb-src.sources \
    "$(deb822_sources "${deb822[@]}")"; then
    made=1
  fi
  if [ "${#oneLine[@]}" -gt 0 ] && write_deb_src typekiln-deb-src.list \
    "$(one_line_sources "${oneLine[@]}")"; then
    made=1
  fi
  [ "$made" -eq 1 ] || die "apt has no deb entry for $codename to make a deb-src entry from"
  as_root apt-get update -qq
}

# Checks that dpkg-source applied every patch of Debian's series, in order.
check_patches() {
  local tree=$1 series applied
  [ "$(cat "$tree/debian/source/format" 2>/dev/null)" = "3.0 (quilt)" ] ||
    die "$tree is not a '3.0 (quilt)' source package; cannot check Debian's patches"
  series=$(sed -e 's/#.*//' -e 's/[[:space:]].*//' -e '/^$/d' "$tree/debian/patches/series" \
    2>/dev/null || true)
  [ -n "$series" ] || die "$tree/debian/patches/series lists no patch"
  applied=$(cat "$tree/.pc/applied-patches" 2>/dev/null || true)
  [ "$series" = "$applied" ] ||
    die "Debian's patches were not all applied in $tree (compare debian/patches/series with" \
      ".pc/applied-patches)"
}

need_packages dpkg-dev cmake make gcc-mingw-w64-x86-64-posix
ensure_deb_src

rm -rf "$work"
mkdir -p "$work"
: >"$log"
(cd "$work" && logged apt-get source -q freetype)
tree=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'freetype-*' | head -n 1)
[ -n "$tree" ] || die "apt-get source freetype unpacked no freetype-* folder in $work"
check_patches "$tree"

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
