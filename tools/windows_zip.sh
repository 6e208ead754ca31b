#!/usr/bin/env bash
# Packs the Windows build in BUILD into BUILD/typekiln-VERSION-windows-x86_64.zip, one folder of
# that name inside, and writes its checksum into BUILD/SHA256SUMS:
#   tools/windows_zip.sh BUILD
# Every link between the docs must hold in the package. The entries are files only, sorted by
# name, and carry nothing but a name, a time and the permissions; with SOURCE_DATE_EPOCH set,
# every time is that one, so two builds of one commit give the same bytes.
set -euo pipefail
build=$1
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=typekiln-$version-windows-x86_64
stage=$build/package
rm -rf "$stage" "${build:?}/$name.zip"
cmake --install "$build" --prefix "$(realpath -m "$stage/$name")" >/dev/null
cmake -DROOT="$stage/$name" -P "$(dirname "$0")/../tests/doc_links.cmake"
if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
  find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
fi
(cd "$stage" && find "$name" -type f | LC_ALL=C sort | TZ=UTC zip -q -X -D -9 -@ "../$name.zip")
(cd "$build" && sha256sum "$name.zip" >SHA256SUMS)
echo "$build/$name.zip"
