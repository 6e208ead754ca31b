#!/usr/bin/env bash
# Runs the end-to-end tests against the Windows tools, typekiln.exe, typekiln-inspect.exe and
# typekiln-import.exe, under wine, in a wine prefix of its own that is removed afterwards:
#   tests/windows_end_to_end.sh TESTS_PROGRAM WINDOWS_BUILD_FOLDER
# The end-to-end suites are the ones that run the built tools; the other suites test the pieces
# in this process, which is a Linux one either way.
set -euo pipefail
tests=$(realpath "$1")
tools=$(realpath "$2")
suites='Check.*:Cli.*:Fault.*:Inspect.*:Render.*:Overlay.*:Import.*'

prefix=$(mktemp -d)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml='
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT
wineserver -p                    # one server for every run of the tools
wineboot --init >/dev/null 2>&1  # makes the prefix: about 15 s

TYPEKILN_WINDOWS_TOOLS=$tools "$tests" --gtest_filter="$suites" --gtest_brief=1
