#!/usr/bin/env bash
# Builds QEMU's instruction-count plugin, which `make bench` loads into qemu-mips to count the
# instructions the runtime's MIPS build runs:
#   tools/qemu_insn_plugin.sh build/qemu-plugin
# Debian's qemu-user runs plugins but ships none, so this takes the plugin's source,
# tests/plugin/insn.c, from Debian's own qemu source package (the same version as the installed
# qemu-user, Debian's patches applied) and builds PREFIX/libinsn.so from it with GLib. When
# PREFIX already holds the plugin, it does nothing. Installing missing packages and adding a
# deb-src entry need root (or sudo), as for tools/mingw_freetype.sh.
set -euo pipefail

# shellcheck source=debian_source.sh
. "$(dirname "$0")/debian_source.sh"
prefix=$(folder_argument PREFIX "$@")
work=$root/build/qemu-source
log=$work/build.log

if [ -f "$prefix/libinsn.so" ]; then
  exit 0
fi


need_packages dpkg-dev gcc libglib2.0-dev pkgconf qemu-user
ensure_deb_src qemu

tree=$(fetch_source qemu "$work")
plugin=$tree/tests/plugin/insn.c
[ -f "$plugin" ] || die "$tree has no $plugin"
# shellcheck disable=SC2046
logged gcc -O2 -shared -fPIC -I"$tree/include/qemu" $(pkg-config --cflags glib-2.0) \
  -o "$prefix/libinsn.so" "$plugin" $(pkg-config --libs glib-2.0)
echo "$me: QEMU's instruction counter $(basename "$tree" | sed 's/^qemu-//') in $prefix/libinsn.so"
