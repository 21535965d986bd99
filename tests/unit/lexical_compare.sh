#!/usr/bin/env bash
# lexical_compare.sh NATIVE_DUMP WINDOWS_DUMP HOME WORKDIR [COUNT]
# Describes the COUNT (1000) most frequent lemmas with both builds and compares the outputs
# byte for byte. The Windows program runs under Wine in a prefix and X server of its own,
# which this script starts and ends.
set -euo pipefail
native=$1 windows=$2 home=$3 work=$4 count=${5:-1000}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cmake_dir=$here/../../cmake
mkdir -p "$work"
export QV_WINE_DIR=$work/wine
trap '"$cmake_dir/wine-session" stop >/dev/null 2>&1 || true' EXIT

"$native" "$home" "$work/native.txt" "$count"
winhome="Z:${home//\//\\}"
"$cmake_dir/wine-run" "$windows" "$winhome" "Z:${work//\//\\}\\windows.txt" "$count"

words=$(grep -c '^== ' "$work/native.txt")
if cmp -s "$work/native.txt" "$work/windows.txt"; then
  echo "native and Windows builds agree on $words words ($(wc -c <"$work/native.txt") bytes)"
else
  echo "native and Windows builds differ:"
  diff "$work/native.txt" "$work/windows.txt" | head -40
  exit 1
fi
