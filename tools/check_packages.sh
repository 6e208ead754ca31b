#!/usr/bin/env bash
# Checks the packages a user downloads: builds the Debian package and the Windows .zip of the
# last commit in two fresh clones, one after the other, and fails unless both builds give the
# same bytes; then runs lintian on the .deb, which must report no error and no warning that the
# package's overrides do not cover. Every link between the docs is followed in each package as
# it is made (tests/install_layout.cmake, tools/windows_zip.sh).
#   tools/check_packages.sh [WORK]      (default build/packages)
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-build/packages}

rm -rf "$work"
mkdir -p "$work"
for side in one two; do
  git clone -q --no-hardlinks . "$work/$side"
  # Each clone builds its own FreeType for Windows, as a fresh machine would.
  make -C "$work/$side" --no-print-directory package windows >"$work/$side.log" 2>&1 || {
    tail -n 40 "$work/$side.log"
    echo "the packages did not build in $work/$side; the whole log is $work/$side.log" >&2
    exit 1
  }
done

same=yes
for file in release/SHA256SUMS windows/SHA256SUMS; do
  echo "$file: $(cat "$work/one/build/$file")"
  for package in $(cut -d' ' -f3 "$work/one/build/$file"); do
    folder=$(dirname "$file")
    if ! cmp "$work/one/build/$folder/$package" "$work/two/build/$folder/$package"; then
      same=no
    fi
  done
done
if [ "$same" != yes ]; then
  echo "two builds of the same commit gave different packages" >&2
  exit 1
fi
echo "both builds gave the same bytes"

# lintian counts the tags it shows as overridden towards --fail-on, so the verdict comes from a
# run that hides them, and the overrides are listed by a second one.
deb=$(ls "$work"/one/build/release/typekiln_*.deb)
lintian --fail-on error,warning "$deb"
lintian --fail-on none --show-overrides "$deb" | grep '^O: '
echo "lintian: no error or warning but the overridden ones"
