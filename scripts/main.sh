#!/usr/bin/env bash
# The main job: installs what is missing, builds, and programs a sample image into an
# emulated RQD-1 through the Tavro emulator with the halden command line, then reads the
# emulated chip's flash back and compares it with the image.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
scripts/build.sh default halden Halden_Programmer HexEdit M3_Tavro
bin=build/default/bin
state=build/emulator
rm -rf "$state"
"$bin/halden" --version
"$bin/halden" image --part RQD-1 resources/samples/sample.hex -o build/sample.bin
TAVRO_EMULATOR="target=RQD-1,state=$state" "$bin/halden" program --part RQD-1 --set LOCK=off \
    resources/samples/sample.hex
size=$(stat -c %s build/sample.bin)
if cmp -s -n "$size" build/sample.bin "$state/flash.bin"; then
    echo "The emulated RQD-1's flash holds the sample image ($size bytes)."
else
    echo "The emulated flash differs from the sample image." >&2
    exit 1
fi
