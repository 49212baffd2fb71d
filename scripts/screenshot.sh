#!/usr/bin/env bash
# Remakes the README's screenshot (docs/velmora.png) from the real program:
# the run command's demo prefix on a private X server the size of a small
# desktop, with the current user's Run node shown.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
env -u DISPLAY VELMORA_XVFB_SCREEN=1024x600x24 VELMORA_SHOW_NODE=10 \
  VELMORA_SCREENSHOT="$root/docs/velmora.png" "$root/scripts/run.sh"
