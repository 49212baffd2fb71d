#!/usr/bin/env bash
# Remakes the README's screenshots (docs/velmora.png, and docs/velmora-dark.png
# under Windows' dark setting for apps) from the real program:
# the run command's demo prefix on a private X server the size of a small
# desktop, with All Entries shown as at the first start (its scheduled tasks
# come a moment after the window: Wine starts its scheduler first).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
env -u DISPLAY VELMORA_XVFB_SCREEN=1024x600x24 VELMORA_SHOW_NODE=0 VELMORA_SHOW_WAIT=3 \
  VELMORA_SCREENSHOT="$root/docs/velmora.png" "$root/scripts/run.sh"
env -u DISPLAY VELMORA_XVFB_SCREEN=1024x600x24 VELMORA_SHOW_NODE=0 VELMORA_SHOW_WAIT=3 VELMORA_DARK=1 \
  VELMORA_SCREENSHOT="$root/docs/velmora-dark.png" "$root/scripts/run.sh"
