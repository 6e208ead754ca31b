# What the scripts that build from Debian's source packages share, sourced by them from the same
# folder. It sets `root` (the source tree) and `me` (the script's name, for messages); `log` (the
# file that takes the commands' output) is set by the script before the functions that write it
# run:
#   ensure_deb_src PACKAGE  gives apt a deb-src entry, made from this machine's own deb entries
#                           (the same archives, suites and keys for this Debian release), in
#                           /etc/apt/sources.list.d/typekiln-deb-src.*, when it has none;
#   fetch_source PACKAGE DIR  runs apt-get source in DIR and checks that every patch of Debian's
#                           series was applied;
#   folder_argument WHAT "$@"  prints, as a whole path, the one folder the script was given,
#                           made when missing; with not exactly one, says the usage and ends
#                           with status 2;
#   need_packages, as_root, logged and die.
# Adding the entry and installing packages need root (or sudo).

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
me=${0##*/}

folder_argument() {
  local what=$1
  shift
  if [ "$#" -ne 1 ] || [ -z "$1" ]; then
    echo "usage: $0 $what" >&2
    exit 2
  fi
  mkdir -p "$1"
  (cd "$1" && pwd)
}

die() {
  echo "$me: $*" >&2
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
    echo "$me: installing ${missing[*]}"
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
  echo "$me: adding deb-src entries in /etc/apt/sources.list.d/$1"
  printf '%s\n' "# Made by typekiln's tools/debian_source.sh from this machine's deb entries." \
    "$2" | as_root tee "/etc/apt/sources.list.d/$1" >/dev/null
}

# Gives apt a deb-src entry made from its deb entries when it has none, then updates its lists,
# so that apt knows the source package $1.
ensure_deb_src() {
  if has_deb_src; then
    if ! apt-cache showsrc "$1" 2>/dev/null | grep -q "^Package: $1\$"; then
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

# Checks that dpkg-source applied every patch of Debian's series, in order; a package whose
# series lists none (libspng) has none to check.
check_patches() {
  local tree=$1 series applied
  [ "$(cat "$tree/debian/source/format" 2>/dev/null)" = "3.0 (quilt)" ] ||
    die "$tree is not a '3.0 (quilt)' source package; cannot check Debian's patches"
  series=$(sed -e 's/#.*//' -e 's/[[:space:]].*//' -e '/^$/d' "$tree/debian/patches/series" \
    2>/dev/null || true)
  [ -n "$series" ] || return 0
  applied=$(cat "$tree/.pc/applied-patches" 2>/dev/null || true)
  [ "$series" = "$applied" ] ||
    die "Debian's patches were not all applied in $tree (compare debian/patches/series with" \
      ".pc/applied-patches)"
}

# Unpacks Debian's source package $1 into the fresh folder $2, its patches checked, and prints
# the path of its tree.
fetch_source() {
  rm -rf "$2"
  mkdir -p "$2"
  : >"$log"
  (cd "$2" && logged apt-get source -q "$1")
  local tree
  tree=$(find "$2" -mindepth 1 -maxdepth 1 -type d -name "$1-*" | head -n 1)
  [ -n "$tree" ] || die "apt-get source $1 unpacked no $1-* folder in $2"
  check_patches "$tree"
  echo "$tree"
}
