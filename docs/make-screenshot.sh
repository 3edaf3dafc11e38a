#!/usr/bin/env bash
# Makes docs/screenshot.png: the program, from a fresh profile, comparing two small firmware images
# kept in /home/user/firmware (made here; run as a user who may write there, or change the folder).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:-/home/user/firmware}
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
mkdir -p "$folder"
python3 - "$folder" <<'PY'
import random, sys
random.seed(7)
base = bytearray(b"FWIMG\x00\x02\x01" + bytes(range(24)) + b"Bootloader v1.0 (c) Orvane Lab\x00\x00")
for i in range(4000):
    base += bytes([random.randrange(256) if random.random() < 0.6 else 0x20 + (i % 90)])
new = bytearray(base)
new[5:8] = b"\x00\x02\x02"
new[40:47] = b"v1.1   "
new[300:300] = b"PATCH-0042\x00\x00"
new[1200:1216] = bytes(16)
open(sys.argv[1] + "/fw-1.0.bin", "wb").write(base)
open(sys.argv[1] + "/fw-1.1.bin", "wb").write(new)
open(sys.argv[1] + "/notes.txt", "w").write("release notes\n")
open(sys.argv[1] + "/config.json", "w").write('{"version": "1.1"}\n')
PY
XDG_CONFIG_HOME="$profile/config" XDG_DATA_HOME="$profile/data" QT_QPA_PLATFORM=offscreen \
  "$top/build/app/dyadmon" --grab "$top/docs/screenshot.png" "$folder/fw-1.0.bin" "$folder/fw-1.1.bin"
