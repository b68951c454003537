#!/usr/bin/env bash
# `kavren edit` as a host: its window shows the editor as the offscreen snapshot of the same state draws it.
# Needs an X display (scripts/run-tests runs the suite under xvfb-run); exits 77 (skipped) without one.
#   kavren_edit_test.sh <kavren> <kavren_window_grab>
set -uo pipefail
kavren=$1
grab=$2
[ -n "${DISPLAY:-}" ] || { echo "SKIP: no DISPLAY"; exit 77; }
work=$(mktemp -d "${TMPDIR:-/tmp}/kavren-edit.XXXXXX") || exit 1
export XDG_CONFIG_HOME=$work/config
trap 'kill "$editor" 2>/dev/null; wait "$editor" 2>/dev/null; rm -rf "$work"' EXIT
state=(--preset "Filter/Telephone Band" --set LOWPASSQ=70% --scale 1)

"$kavren" snapshot "$work/expected.png" "${state[@]}" || { echo "FAIL: snapshot"; exit 1; }
"$kavren" edit "${state[@]}" &
editor=$!
if "$grab" 534 488 "$work/shown.png" "$work/expected.png"; then
  echo "PASS: kavren edit shows the editor"
else
  echo "FAIL: the editor window does not show the snapshot's picture"
  exit 1
fi
