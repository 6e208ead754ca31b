#!/usr/bin/env bash
# Unpacks libspng, typekiln's PNG reader, from Debian's own source package into DIR, for the build
# to compile into the tools:
#   tools/spng_source.sh build/spng-source
# Debian's libspng-dev holds no static library, and the tools are linked statically (and built for
# Windows, which Debian does not build libspng for), so CMake compiles the library's one source
# file, spng/spng.c, from Debian's package (its patches applied) for whichever system it builds
# for. It leaves DIR/spng/spng.c and DIR/spng/spng.h; when DIR already holds them, it does
# nothing. Installing missing tools and adding a deb-src entry need root (or sudo), as for
# tools/mingw_freetype.sh.
set -euo pipefail

# shellcheck source=debian_source.sh
. "$(dirname "$0")/debian_source.sh"
dest=$(folder_argument DIR "$@")
if [ -f "$dest/spng/spng.c" ] && [ -f "$dest/spng/spng.h" ]; then
  exit 0
fi
work=$dest.fetch
mkdir -p "$work"
log=$work/fetch.log


need_packages dpkg-dev
ensure_deb_src libspng

tree=$(fetch_source libspng "$work")
[ -f "$tree/spng/spng.c" ] || die "$tree has no spng/spng.c"
version=$(basename "$tree" | sed 's/^libspng-//')
rm -rf "$dest"
mv "$tree" "$dest"
rm -rf "$work"
echo "$me: libspng $version in $dest" >&2
