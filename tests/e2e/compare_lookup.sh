#!/usr/bin/env bash
# compare_lookup.sh NATIVE WINDOWS_EXE WORKDIR [COUNT]
# Runs the native qv-lookup and the Windows one (under Wine, in a prefix and X server of its own,
# which this script starts and ends) on the same captured texts, with their own generated data,
# and compares the outputs byte for byte: JSON, then plain text. The Windows one must leave the
# prefix's registry as it found it.
set -euo pipefail
native=$1 windows=$2 work=$3 count=${4:-300}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cmake_dir=$here/../../cmake
mkdir -p "$work"
export QV_WINE_DIR=$work/wine
trap '"$cmake_dir/wine-session" stop >/dev/null 2>&1 || true' EXIT

python3 "$here/captured_texts.py" "${QV_WORDNET_DB:-/usr/share/wordnet}/cntlist.rev" "$count" \
  > "$work/texts.txt"
status=0
for mode in --json ""; do
  name=${mode:-plain}; name=${name#--}
  "$native" $mode --stdin < "$work/texts.txt" > "$work/native.$name"
  "$cmake_dir/wine-run" "$windows" $mode --stdin < "$work/texts.txt" > "$work/windows.$name"
  if cmp -s "$work/native.$name" "$work/windows.$name"; then
    echo "$name: builds agree on $(wc -l < "$work/texts.txt") texts ($(wc -c < "$work/native.$name") bytes)"
  else
    echo "$name: builds differ:"
    diff "$work/native.$name" "$work/windows.$name" | head -20
    status=1
  fi
done
# Exit statuses: a word found nowhere is no error; bad options and directories are (2).
expect() {
  local want=$1; shift
  local got=0
  "$@" >/dev/null 2>&1 || got=$?
  if [ "$got" != "$want" ]; then echo "status $got instead of $want: ${*: -2}"; status=1; fi
}
for tool in "$native" "$cmake_dir/wine-run $windows"; do
  expect 0 $tool -- xyzzyq
  expect 2 $tool --bogus xyzzyq
  expect 2 $tool --home "$work/none" xyzzyq
  expect 2 $tool --blocks "$work" xyzzyq
done

# The Windows tool points the program at its data through in-process overrides only.
if "$cmake_dir/wine-run" reg query 'HKLM\Software\Brantel' >/dev/null 2>&1 ||
   "$cmake_dir/wine-run" reg query 'HKCU\Software\Brantel' >/dev/null 2>&1; then
  echo "qv-lookup.exe wrote to the registry"
  status=1
fi
exit $status
