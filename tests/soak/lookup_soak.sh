#!/usr/bin/env bash
# The look-up soak, run by hand (it takes a long while):
#   tests/soak/lookup_soak.sh [COUNT=1000000] [WINE_COUNT=20000] [SEED=1]
# 1. COUNT look-ups of generated captured texts in one process of the sanitizer build
#    (build/asan, made here if missing), with the resident size printed at 1k, 10k, 100k, ...
# 2. WINE_COUNT texts of the same generator through the native qv-lookup and the Windows one
#    under Wine (build/all, from scripts/build), whose outputs must be the same bytes.
# A count of 0 skips its part.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
count=${1:-1000000} wine_count=${2:-20000} seed=${3:-1}
cd "$root"
status=0

if [ "$count" != 0 ]; then
  [ -f build/asan/build.ninja ] || cmake --preset asan >/dev/null
  cmake --build build/asan -j2 --target lookup_soak
  echo "== $count look-ups under AddressSanitizer, UBSan and the leak checker"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    nice -n 19 build/asan/tests/soak/lookup_soak build/asan/lexicon-home/ data/ "$count" "$seed" ||
    status=1
fi

if [ "$wine_count" != 0 ]; then
  native=build/all/cli/qv-lookup windows=build/all/windows/cli/qv-lookup.exe
  [ -x "$native" ] && [ -f "$windows" ] || { echo "run scripts/build first" >&2; exit 2; }
  work=build/all/soak
  mkdir -p "$work"
  export QV_WINE_DIR=$root/$work/wine
  trap 'cmake/wine-session stop >/dev/null 2>&1 || true' EXIT
  echo "== $wine_count texts through the native build and the Windows build under Wine"
  build/all/tests/soak/lookup_soak --texts /usr/share/wordnet "$wine_count" "$seed" > "$work/texts.txt"
  nice -n 19 "$native" --json --stdin < "$work/texts.txt" > "$work/native.json"
  start=$(date +%s)
  nice -n 19 cmake/wine-run "$windows" --json --stdin < "$work/texts.txt" > "$work/windows.json"
  echo "Windows build: $(($(date +%s) - start)) s for $(wc -l < "$work/windows.json") texts"
  if cmp -s "$work/native.json" "$work/windows.json"; then
    echo "builds agree on $(wc -l < "$work/native.json") texts ($(wc -c < "$work/native.json") bytes)"
  else
    echo "builds differ:"; diff "$work/native.json" "$work/windows.json" | head -20
    status=1
  fi
fi
exit $status
