#!/usr/bin/env bash
# expression_bench.sh NATIVE_BENCH WINDOWS_BENCH HOME INSTALL_DIR SENTENCES WORKDIR [ROUNDS]
# Runs the expression benchmark natively and, under Wine, the Windows build, in a Wine prefix
# and X server of its own that this script starts and ends.
set -euo pipefail
native=$1 windows=$2 home=$3 install=$4 sentences=$5 work=$6 rounds=${7:-5}
cmake_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../cmake" && pwd)
mkdir -p "$work"
export QV_WINE_DIR=$work/wine
trap '"$cmake_dir/wine-session" stop >/dev/null 2>&1 || true' EXIT
winpath() { echo "Z:${1//\//\\}"; }
echo "== native"
"$native" "$home" "$install" "$sentences" "$rounds"
echo "== Windows build under Wine"
"$cmake_dir/wine-run" "$windows" "$(winpath "$home")" "$(winpath "$install")" "$(winpath "$sentences")" "$rounds"
