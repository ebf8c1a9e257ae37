#!/usr/bin/env bash
# Runs a command on the X display of DISPLAY with openbox managing its windows:
# with-window-manager.sh <command> [arguments...]
set -euo pipefail

openbox --sm-disable >/dev/null 2>&1 &
manager=$!
trap 'kill "$manager" 2>/dev/null || true; wait "$manager" 2>/dev/null || true' EXIT

# A manager announces itself on the root window once it manages windows.
for _ in $(seq 100); do
  if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    break
  fi
  if ! kill -0 "$manager" 2>/dev/null; then
    echo "openbox did not start" >&2
    exit 1
  fi
  sleep 0.1
done
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
  echo "openbox did not take over the display within 10 s" >&2
  exit 1
fi

"$@"
