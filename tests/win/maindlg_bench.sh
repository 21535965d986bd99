#!/usr/bin/env bash
# maindlg_bench.sh BENCH.exe: runs the look-up figures under Wine with Ctrl held down by the X
# server itself (a key injected from inside Wine is forgotten when Wine resynchronises its
# keyboard state with the X server's).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
: "${QV_WINE_DIR:?}"
"$here/cmake/wine-session" start
. "$QV_WINE_DIR/session"
trap 'DISPLAY=$display xdotool keyup ctrl; "$here/cmake/wine-session" stop' EXIT
# Wine learns of a key held from the events its desktop receives: press it once the desktop is up.
QV_WINE_DESKTOP=1 "$here/cmake/wine-run" "$1" &
bench=$!
sleep 4
DISPLAY=$display xdotool keydown ctrl
wait $bench
