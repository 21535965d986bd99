#!/usr/bin/env bash
# lexical_bench.sh NATIVE_BENCH WINDOWS_BENCH HOME WORKDIR [COUNT] [ROUNDS]
# Runs the word-description benchmark natively and, under Wine, the Windows build, in a Wine
# prefix and X server of its own that this script starts and ends.
set -euo pipefail
native=$1 windows=$2 home=$3 work=$4 count=${5:-5000} rounds=${6:-5}
cmake_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../cmake" && pwd)
mkdir -p "$work"
export QV_WINE_DIR=$work/wine
trap '"$cmake_dir/wine-session" stop >/dev/null 2>&1 || true' EXIT
echo "== native"
"$native" "$home" "$count" "$rounds"
echo "== Windows build under Wine"
"$cmake_dir/wine-run" "$windows" "Z:${home//\//\\}" "$count" "$rounds"
