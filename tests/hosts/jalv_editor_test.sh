#!/usr/bin/env bash
# jalv as the host of the LV2 editor (an X11 UI embedded through suil, on a dummy JACK server): its window
# shows the editor as the offscreen snapshot of the same parameter values draws it, so a value jalv sets on
# a control port reaches the editor through the UI's port events.
# Needs an X display (scripts/run-tests runs the suite under xvfb-run); exits 77 (skipped) without one or
# without jalv and jackd (scripts/install-deps --hosts).
#   jalv_editor_test.sh <folder holding kavren-xl.lv2> <kavren> <kavren_window_grab>
set -uo pipefail
bundles=$1
kavren=$2
grab=$3
[ -n "${DISPLAY:-}" ] || { echo "SKIP: no DISPLAY"; exit 77; }
for tool in jalv.gtk3 jackd jack_wait; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/kavren-jalv.XXXXXX") || exit 1
export XDG_CONFIG_HOME=$work/config HOME=$work LV2_PATH=$bundles
# A server of our own, so the test neither needs nor disturbs one that is running.
export JACK_DEFAULT_SERVER=kavren-jalv-$$
host=""
trap 'kill "$host" 2>/dev/null; wait "$host" 2>/dev/null; kill "$server" 2>/dev/null; wait "$server" 2>/dev/null
      rm -rf "$work"' EXIT

jackd --no-realtime -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 &
server=$!
jack_wait -w -t 30 >/dev/null 2>&1 || { echo "FAIL: the JACK server did not start"; cat "$work/jackd.log"; exit 1; }

# Values far enough from the start values to change much of the picture: jalv's controls against the
# snapshot's parameters (the link last, as jalv sends the ports in index order).
controls=(lowpassfreq=1000 lowpassslope=4 highpassfreq=100 highpassslope=1 linkfilters=1)
sets=()
for control in "${controls[@]}"; do sets+=(--set "${control^^}"); done
jalv_controls=()
for control in "${controls[@]}"; do jalv_controls+=(-c "$control"); done

"$kavren" snapshot "$work/expected.png" "${sets[@]}" --scale 1 || { echo "FAIL: snapshot"; exit 1; }
jalv.gtk3 "${jalv_controls[@]}" urn:quillmark:kavren-xl >"$work/jalv.log" 2>&1 &
host=$!
# The start values' picture differs from the expected one by a mean of 1.5; the same values, by 0.75.
if "$grab" 534 488 "$work/shown.png" "$work/expected.png" 1.1; then
  echo "PASS: jalv shows the editor"
else
  echo "FAIL: jalv's window does not show the snapshot's picture"
  cat "$work/jalv.log"
  exit 1
fi
