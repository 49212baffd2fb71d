#!/bin/sh
# Copies a signed program with one byte of its first section (the code)
# changed: a byte the signature's hash covers, unlike the checksum and the
# certificate table.
set -eu
in=$1 out=$2
u32() { od -An -t u4 -j "$1" -N 4 "$in" | tr -d ' '; }
u16() { od -An -t u2 -j "$1" -N 2 "$in" | tr -d ' '; }
pe=$(u32 60)
sections=$((pe + 24 + $(u16 $((pe + 20)))))
at=$(($(u32 $((sections + 20))) + 16))
byte=$(od -An -t u1 -j "$at" -N 1 "$in" | tr -d ' ')
cp "$in" "$out"
printf "$(printf '\\%03o' $((byte ^ 1)))" | dd of="$out" bs=1 seek="$at" conv=notrunc status=none
